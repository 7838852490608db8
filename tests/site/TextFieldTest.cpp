#include <gtest/gtest.h>

#include <string>

#include "TextField.h"

TEST(TextField, KeepsAtMostCapacityBytesAndZeroesTheRest) {
    CTextField<255> title;
    title = std::string(300, 'x');
    EXPECT_EQ(title.View().size(), 254u);
    EXPECT_EQ(title.Bytes()[254], '\0');

    title = "short";
    EXPECT_EQ(title.View(), "short");
    for (std::size_t i = 5; i < 255; ++i) ASSERT_EQ(title.Bytes()[i], '\0') << i;
}

TEST(TextField, NeverCutsAUtf8CharacterInHalf) {
    // "é" is two bytes, "€" three, "😀" four: each placed so the cut falls inside it.
    CTextField<10> field;
    field = std::string(8, 'a') + "é";  // 10 bytes, capacity 9
    EXPECT_EQ(field.View(), std::string(8, 'a'));
    field = std::string(7, 'a') + "€";  // the euro sign would end at byte 10
    EXPECT_EQ(field.View(), std::string(7, 'a'));
    field = std::string(6, 'a') + "😀";
    EXPECT_EQ(field.View(), std::string(6, 'a'));
    field = std::string(5, 'a') + "😀";  // fits exactly
    EXPECT_EQ(field.View(), std::string(5, 'a') + "😀");
}

TEST(TextField, SingleByteCodePageTextIsCutWhereItStands) {
    // Windows-1252 text: 0xE9 looks like a UTF-8 lead byte but is followed by plain letters.
    CTextField<5> field;
    field = std::string("ab\xE9") + "cdef";
    EXPECT_EQ(field.View(), std::string("ab\xE9") + "c");
}

TEST(TextField, StopsAtAnEmbeddedNulAndTakesRawFieldsWithoutATerminatorWhole) {
    CTextField<8> field;
    field = std::string("ab\0cd", 5);
    EXPECT_EQ(field.View(), "ab");

    const unsigned char raw[8] = {'1', '2', '3', '4', '5', '6', '7', '8'};
    field.AssignRaw(raw);
    EXPECT_EQ(field.View(), "12345678");

    const unsigned char withGarbage[8] = {'o', 'k', 0, 'x', 'y', 'z', 1, 2};
    field.AssignRaw(withGarbage);
    EXPECT_EQ(field.View(), "ok");
    EXPECT_EQ(field.Bytes()[3], '\0');
}
