// The parameter editor under a stream of random keystrokes: digits, letters, signs, characters the
// module's code page lacks, editing keys, cursor keys, cut and paste, into whichever control of whichever
// tab has the focus. Whatever is typed, confirming stores an image that a second showing stores again
// unchanged, spare bytes stay untouched, and no error ever reaches the installer.
#include "common/ui/Dialogs.h"
#include "params/ImageLayout.h"
#include "params/ui/TSettingsForm.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <random>

using namespace vantrel;

namespace {

struct Keystroke {
    Qt::Key key;
    QString text;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

std::vector<Keystroke> keyboard() {
    std::vector<Keystroke> keys;
    for (char c = '0'; c <= '9'; ++c)
        keys.push_back({static_cast<Qt::Key>(Qt::Key_0 + (c - '0')), QString(QLatin1Char(c))});
    for (const char* s : {"a", "Z", "*", "#", ",", ".", "-", "$", "\"", " "})
        keys.push_back({Qt::Key_unknown, QString::fromLatin1(s)});
    keys.push_back({Qt::Key_Space, QStringLiteral(" ")});
    // Hungarian letters, the letter the module stores in another's place, and characters Windows-1250 lacks.
    for (const char* s : {"ő", "Ű", "á", "€", "✓", "ж"})
        keys.push_back({Qt::Key_unknown, QString::fromUtf8(s)});
    for (Qt::Key k : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End,
                      Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown})
        keys.push_back({k, QString()});
    for (Qt::Key k : {Qt::Key_A, Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_Z})
        keys.push_back({k, QString(), Qt::ControlModifier});
    return keys;
}

ImageBytes patternedImage(unsigned seed) {
    std::mt19937 rng(seed);
    ImageBytes image{};
    for (std::uint8_t& b : image)
        b = static_cast<std::uint8_t>(rng());
    return image;
}

// The controls of the current tab that a keystroke can reach.
QList<QWidget*> keyboardTargets(QTabWidget* pages) {
    QList<QWidget*> targets;
    for (QWidget* w : pages->currentWidget()->findChildren<QWidget*>())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus))
            targets.append(w);
    return targets;
}

struct KeyboardMonkey : ::testing::Test {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    DialogScript dialogs;
    ImageBytes image = freshImage();
    std::unique_ptr<TSettingsForm> form;

    void SetUp() override {
        QDir::setCurrent(dir.path()); // no APNs.dat: the built-in provider list
        form = std::make_unique<TSettingsForm>(image);
        form->show();
        QApplication::setActiveWindow(form.get());
    }
    void TearDown() override {
        form.reset();
        QDir::setCurrent(previous);
    }
};

} // namespace

TEST_F(KeyboardMonkey, RandomTypingAlwaysStoresAConsistentImage) {
    const std::vector<Keystroke> keys = keyboard();
    auto* pages = form->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    auto* ok = form->findChild<QPushButton*>(QStringLiteral("btSettingOK"));
    ASSERT_NE(pages, nullptr);
    ASSERT_NE(ok, nullptr);
    QApplication::clipboard()->setText(QStringLiteral("06 30\"123✓ű\r\n4567"));

    int changedRounds = 0;
    for (unsigned seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        image = seed % 3 == 0 ? freshImage() : patternedImage(seed);
        const ImageBytes before = image;
        // What confirming without typing would store, to see that the typing reached the controls.
        form->LoadFromImage();
        form->StoreToImage();
        const ImageBytes untouched = image;
        image = before;
        form->LoadFromImage();
        form->show();
        QApplication::setActiveWindow(form.get());

        QWidget* target = nullptr;
        for (int stroke = 0; stroke < 500; ++stroke) {
            if (stroke % 40 == 0 || target == nullptr) {
                pages->setCurrentIndex(static_cast<int>(rng() % static_cast<unsigned>(pages->count())));
                const QList<QWidget*> targets = keyboardTargets(pages);
                ASSERT_FALSE(targets.isEmpty());
                target = targets[static_cast<qsizetype>(rng() % static_cast<unsigned>(targets.size()))];
                target->setFocus(Qt::MouseFocusReason);
            }
            const Keystroke& k = keys[rng() % keys.size()];
            QTest::sendKeyEvent(QTest::Click, target, k.key, k.text, k.modifiers);
        }
        ASSERT_TRUE(form->isVisible());
        ASSERT_TRUE(ok->isEnabled());
        // Random typing leaves values storing corrects (an event code short of its positions); the editor
        // lists them and asks first, and is told to go ahead. No other box may appear.
        dialogs.clear();
        dialogs.setNextAnswer(true);
        QTest::mouseClick(ok, Qt::LeftButton);
        const ImageBytes stored = image;

        for (const DialogScript::Shown& shown : dialogs.shown()) {
            EXPECT_TRUE(shown.kind == DialogScript::Kind::Question &&
                        shown.text.startsWith(QStringLiteral("Rögzítéskor")))
                << shown.text.toStdString();
        }
        ASSERT_FALSE(form->isVisible());
        for (std::size_t i = 0; i < ImageSize; ++i) {
            if (!isFieldByte(i)) {
                ASSERT_EQ(stored[i], before[i]) << "spare byte " << i;
            }
        }
        // Counts never exceed their fields, and every text slot after the count is padding.
        for (const FieldSpec& spec : ImageLayout) {
            if (spec.kind != FieldKind::SmsTextField && spec.kind != FieldKind::CountedText)
                continue;
            const std::size_t count = stored[spec.offset];
            ASSERT_LE(count, spec.size() - 1) << spec.name;
            for (std::size_t i = spec.offset + 1 + count; i < spec.end(); ++i) {
                ASSERT_EQ(stored[i], 0x20) << spec.name;
            }
        }

        // The next showing stores the same, except that an SMS text typed with blanks at its end loses them
        // (they are stored, and counted, but not shown again); from then on nothing changes.
        form->LoadFromImage();
        form->StoreToImage();
        const ImageBytes again = image;
        ImageBytes expected = stored;
        for (const FieldSpec& spec : ImageLayout) {
            if (spec.kind != FieldKind::SmsTextField || again[spec.offset] == stored[spec.offset])
                continue;
            ASSERT_LT(again[spec.offset], stored[spec.offset]) << spec.name;
            for (std::size_t i = again[spec.offset]; i < stored[spec.offset]; ++i) {
                ASSERT_EQ(stored[spec.offset + 1 + i], 0x20) << spec.name;
            }
            expected[spec.offset] = again[spec.offset];
        }
        EXPECT_EQ(again, expected) << "a second showing stored something else";
        form->LoadFromImage();
        form->StoreToImage();
        EXPECT_EQ(image, again) << "a third showing stored something else";
        changedRounds += stored != untouched ? 1 : 0;
    }
    EXPECT_GE(changedRounds, 20) << "the keystrokes hardly changed anything";
}
