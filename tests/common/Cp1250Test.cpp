#include "common/Cp1250.h"

#include <gtest/gtest.h>

using namespace vantrel;

TEST(Cp1250, HungarianLettersUseTheirSingleByteCodes) {
    // ő ű Ő Ű á é and the capital U with diaeresis, which the module uses in place of Ű.
    const QString text = QStringLiteral("őűŐŰáéÜ");
    const QByteArray bytes = toCp1250(text);
    EXPECT_EQ(bytes, QByteArray("\xF5\xFB\xD5\xDB\xE1\xE9\xDC"));
    EXPECT_EQ(fromCp1250(bytes), text);
}

TEST(Cp1250, EveryByteDecodesToOneCharacter) {
    for (int b = 0; b < 256; ++b) {
        // 0x81, 0x83, 0x88, 0x90, 0x98 have no character; the decoder still yields exactly one.
        EXPECT_EQ(fromCp1250(static_cast<char>(b)).size(), 1) << b;
    }
}

TEST(Cp1250, CharactersOutsideTheCodePageAreDetected) {
    EXPECT_TRUE(hasCp1250Code(QStringLiteral("Beállítások Rögzítése $ \"x\"")));
    EXPECT_FALSE(hasCp1250Code(QStringLiteral("ж")));
    EXPECT_FALSE(hasCp1250Code(QStringLiteral("a€b😀")));
    EXPECT_TRUE(hasCp1250Code(QString()));
}

TEST(Cp1250, CharactersWithoutACodeBecomeAQuestionMarkNeverAnEndOfTextByte) {
    EXPECT_EQ(toCp1250(QString::fromUtf8("a✓b😀ő")), QByteArray("a?b?\xF5"));
    EXPECT_FALSE(toCp1250(QString::fromUtf8("ж")).contains('\x1A'));
}
