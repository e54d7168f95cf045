// Registry string data ended within its buffer.
#include <gtest/gtest.h>

#include <string.h>

#include "common/registry_text.h"

TEST(RegistryText, TextThatFillsTheBufferFitsOneMoreDoesNot)
{
    char text[8];
    // Stored with its NUL: all seven characters and the NUL fit.
    memcpy(text, "1234567", 8);
    EXPECT_EQ(7, EndRegistryText(text, sizeof(text), 8));
    EXPECT_STREQ("1234567", text);
    // Stored without one: seven get a NUL, eight have no room for it.
    memcpy(text, "1234567#", 8);
    EXPECT_EQ(7, EndRegistryText(text, sizeof(text), 7));
    EXPECT_STREQ("1234567", text);
    memcpy(text, "12345678", 8);
    EXPECT_EQ(-1, EndRegistryText(text, sizeof(text), 8));
    EXPECT_STREQ("", text);
    // A byte count past the buffer (never trusted) and an inner NUL.
    EXPECT_EQ(-1, EndRegistryText(text, sizeof(text), 9));
    memcpy(text, "ab\0cdefg", 8);
    EXPECT_EQ(2, EndRegistryText(text, sizeof(text), 8));
    EXPECT_EQ(-1, EndRegistryText(text, 0, 0));
}
