// The parameter file tests' fixture: a temporary folder, raw bytes in it, and the text of the I/O error an
// action raises.
#pragma once

#include "common/Errors.h"
#include "params/ParameterImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace vantrel::test {

struct ParameterFiles : ::testing::Test {
    QTemporaryDir dir;
    QString path(const char* name = "set.VT3") const { return dir.filePath(QString::fromLatin1(name)); }
    void writeRaw(const QByteArray& bytes, const char* name = "set.VT3") const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static vantrel::ImageBytes pattern() {
        vantrel::ImageBytes image;
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
        return image;
    }
    static QString errorText(const std::function<void()>& action) {
        try {
            action();
        } catch (const vantrel::EInOutError& e) {
            return e.message();
        }
        return QStringLiteral("(no error)");
    }
};

} // namespace vantrel::test
