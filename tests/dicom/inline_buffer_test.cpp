// The buffer that keeps short values inside the element: moving between inline and heap
// storage, copies from its own bytes, and the zero that always follows the contents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dicom/inline_buffer.h"

namespace {

using Small = Inline_Buffer<char, 15>;

std::string text(const Small& buffer) { return std::string(buffer.c_str()); }

}  // namespace

TEST(InlineBuffer, GrowsOntoTheHeapAndKeepsItsContents) {
    Small buffer;
    EXPECT_TRUE(buffer.empty());
    EXPECT_STREQ(buffer.c_str(), "");
    buffer = std::string_view("short");
    EXPECT_EQ(buffer.capacity(), 15u);
    for (char c : std::string(" and then a good deal longer")) buffer.push_back(c);
    EXPECT_GT(buffer.capacity(), 15u);
    EXPECT_EQ(text(buffer), "short and then a good deal longer");
    buffer.resize(5);
    EXPECT_EQ(text(buffer), "short");  // cut, and still terminated
    buffer.resize(7, '!');
    EXPECT_EQ(text(buffer), "short!!");
    buffer.clear();
    EXPECT_STREQ(buffer.c_str(), "");
}

TEST(InlineBuffer, AssignsFromItsOwnBytes) {
    Small buffer;
    buffer = std::string_view("0123456789");
    buffer.assign(buffer.data() + 2, 5);  // overlapping, inline
    EXPECT_EQ(text(buffer), "23456");
    buffer = std::string_view("a value too long for the inline room");
    buffer.assign(buffer.data() + 2, 30);  // overlapping, on the heap
    EXPECT_EQ(text(buffer), "value too long for the inline ");
    buffer.insert(buffer.end(), buffer.begin(), buffer.begin() + 5);  // appending part of itself
    EXPECT_EQ(text(buffer), "value too long for the inline value");
    EXPECT_THROW(buffer.insert(buffer.begin(), buffer.begin(), buffer.end()), std::invalid_argument);
}

TEST(InlineBuffer, MovesLeaveTheSourceEmptyAndCopiesAreDeep) {
    for (const std::string& value : {std::string("inline"), std::string(40, 'h')}) {
        Small source;
        source = value;
        Small copy(source);
        Small moved(std::move(source));
        EXPECT_TRUE(source.empty()) << value;
        EXPECT_STREQ(source.c_str(), "") << value;
        EXPECT_EQ(text(moved), value);
        copy[0] = 'X';
        EXPECT_EQ(moved[0], value[0]) << "a copy shares no bytes";
        source = std::move(moved);
        EXPECT_EQ(text(source), value);
        const Small& same = source;
        source = same;  // assigning to itself changes nothing
        EXPECT_EQ(text(source), value);
    }
}
