// Text at the edges of the program: UTF-8 from files and terminals, dialog
// filters and default extensions.
#include <gtest/gtest.h>

#include "flows/file_dialogs.h"
#include "platform/utf8.h"

namespace vm {
namespace {

TEST(Utf8, RoundTripsAllPlanes) {
    const std::u32string text = U"A é € 中 😀 \r\n";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(toUtf8(U"€"), "\xE2\x82\xAC");
}

TEST(Utf8, RejectsMalformedInput) {
    for (const char* bad :
         {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "a\xFFz", "\xE2\x82"})
        EXPECT_FALSE(fromUtf8(bad).has_value()) << bad;
}

TEST(FileDialogs, FilterSplitsIntoLabelPatternPairs) {
    const auto pairs =
        filterPairs("Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg|All Files (*.*)|*.*");
    ASSERT_EQ(pairs.size(), 4u);
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"Bitmap (*.bmp)", "*.bmp"}));
    EXPECT_EQ(pairs[3], (std::pair<std::string, std::string>{"All Files (*.*)", "*.*"}));
    EXPECT_EQ(filterPairs("Windows Bitmap (*.bmp)|*.bmp").size(), 1u);
}

TEST(FileDialogs, DefaultExtensionOnlyForNamesWithout) {
    EXPECT_EQ(withDefaultExtension("/tmp/a", ".bmp"), "/tmp/a.bmp");
    EXPECT_EQ(withDefaultExtension("/tmp/a.jpg", ".bmp"), "/tmp/a.jpg");
    EXPECT_EQ(withDefaultExtension("/tmp/my.dir/a", ".bmp"), "/tmp/my.dir/a.bmp");
    EXPECT_EQ(withDefaultExtension("", ".bmp"), "");
}

}  // namespace
}  // namespace vm
