// Decoding the host's parameter stack: integer texts, popping order and freeing,
// and copies that must stop at the end of their buffer.
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "host/Host.h"
#include "state/BackdropState.h"
#include "support/TestSupport.h"

struct IntCase {
    const char* text;
    int expected;
};

TEST(ParseIntText, ReadsDecimalOctalAndHexadecimal) {
    const IntCase cases[] = {
        {"42", 42},
        {"-42", -42},
        {"300", 300},
        {"0x1F", 31},
        {"0XfF", 255},
        {"0xAbCd", 0xABCD},
        {"010", 8},
        {"0777", 511},
        {"08", 8},
        {"0129", 10}, // octal 012, stops at '9'
        {"12a5", 12},
        {"-0x10", 0},
        {"+5", 0},
        {" 5", 0},
        {"", 0},
        {"-", 0},
        {"0x", 0},
        {"0xg", 0},
        {"0", 0},
        {"-0", 0},
        {"5 6", 5},
        {"0x1G", 1},
        {"0x\x81"
         "1",
         0},
        {"1\x80"
         "2",
         1}, // bytes from 0x80 up are no digits
        {"\xb1"
         "5",
         0}, // 0xB1 - 0x80 would be '1'
        {"\xff", 0},
        {"4294967295", -1}, // 2^32 - 1 wraps
        {"4294967296", 0},  // 2^32 wraps
        {"4294967338", 42},
        {"-4294967295", 1}, // negating wraps too
        {"2147483648", INT_MIN},
        {"-2147483648", INT_MIN},
        {"0x100000000", 0},
        {"0xFFFFFFFF", -1},
        {"0x123456789", 0x23456789},
        {"040000000000", 0}, // 2^32 in octal
        {"037777777777", -1},
        {"99999999999999999999", 1661992959}, // 10^20 mod 2^32
    };
    for (const IntCase& c : cases) {
        EXPECT_EQ(ParseIntText(c.text), c.expected) << "text \"" << c.text << "\"";
    }
}

class PopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = gState.stackTop;
        gState.stackTop = stack_.TopLocation();
    }
    void TearDown() override {
        gState.stackTop = saved_;
    }
    HostStack stack_;
    StackEntry** saved_ = nullptr;
};

TEST_F(PopTest, PopsTopFirstAndMovesTheStackTopDown) {
    stack_.Push("bottom");
    StackEntry* middle = stack_.Push("middle");
    stack_.Push("top");
    char text[64] = "untouched";

    ASSERT_EQ(PopParam(text, sizeof text), 0);
    EXPECT_STREQ(text, "top");
    EXPECT_EQ(*stack_.TopLocation(), middle);

    ASSERT_EQ(PopParam(text, sizeof text), 0);
    EXPECT_STREQ(text, "middle");
    ASSERT_EQ(PopParam(text, sizeof text), 0);
    EXPECT_STREQ(text, "bottom");
    EXPECT_EQ(*stack_.TopLocation(), nullptr);

    strcpy(text, "kept");
    EXPECT_EQ(PopParam(text, sizeof text), 1);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
}

TEST_F(PopTest, NullStackTopLocationPopsNothing) {
    gState.stackTop = nullptr;
    char text[8] = "kept";
    EXPECT_EQ(PopParam(text, sizeof text), 1);
    EXPECT_STREQ(text, "kept");
    EXPECT_EQ(PopColor(), RGB(0, 0, 0));
}

TEST_F(PopTest, NullDestinationDiscardsTheEntry) {
    StackEntry* below = stack_.Push("below");
    stack_.Push("discarded");
    EXPECT_EQ(PopParam(nullptr, 0), 0);
    EXPECT_EQ(*stack_.TopLocation(), below);
    EXPECT_STREQ(below->text, "below");
}

TEST_F(PopTest, PoppedEntriesAreFreedAndTheRestLeftAlone) {
    // Warm the heap up so the baseline holds only what this test allocates.
    stack_.Push("warm-up");
    PopParam(nullptr, 0);
    const int baseline = CountHeapBlocks();

    StackEntry* kept = stack_.Push("kept by the host");
    for (int i = 0; i < 1000; ++i) {
        stack_.Push(std::to_string(i));
    }
    EXPECT_EQ(CountHeapBlocks(), baseline + 1001);

    char text[64];
    for (int i = 999; i >= 0; --i) {
        ASSERT_EQ(PopParam(i % 2 ? text : nullptr, sizeof text), 0);
        if (i % 2) {
            EXPECT_EQ(std::string(text), std::to_string(i));
        }
    }
    EXPECT_EQ(CountHeapBlocks(), baseline + 1);
    EXPECT_EQ(*stack_.TopLocation(), kept);
    EXPECT_STREQ(kept->text, "kept by the host");
    EXPECT_EQ(kept->next, nullptr);
}

TEST_F(PopTest, PopColorTakesRedGreenBlueInPoppingOrder) {
    // A host pushes blue first so that red ends on top.
    stack_.Push("0");
    stack_.Push("128");
    stack_.Push("255");
    EXPECT_EQ(PopColor(), RGB(255, 128, 0));
    EXPECT_EQ(stack_.Depth(), 0);
}

TEST_F(PopTest, PopColorKeepsTheLowEightBitsOfEachComponent) {
    const struct {
        const char* red;
        const char* green;
        const char* blue;
        COLORREF expected;
    } cases[] = {
        {"256", "300", "-1", RGB(0, 44, 255)},
        {"0x1FF", "0377", "-256", RGB(255, 255, 0)},
        {"navy", "", "0x80", RGB(0, 0, 128)},
    };
    for (const auto& c : cases) {
        stack_.Push(c.blue);
        stack_.Push(c.green);
        stack_.Push(c.red);
        EXPECT_EQ(PopColor(), c.expected) << c.red << " " << c.green << " " << c.blue;
    }
}

TEST_F(PopTest, ComponentsTheStackRanOutForReadAsZero) {
    stack_.Push("77");
    stack_.Push("200");
    EXPECT_EQ(PopColor(), RGB(200, 77, 0));
    EXPECT_EQ(PopColor(), RGB(0, 0, 0));
}

// A buffer of `size` bytes that ends exactly where an inaccessible page begins,
// so a write one byte past it faults.
class GuardedBuffer {
  public:
    explicit GuardedBuffer(int size) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const DWORD page = info.dwPageSize;
        const DWORD span = (static_cast<DWORD>(size) + page - 1) / page * page;
        base_ = static_cast<char*>(
            VirtualAlloc(nullptr, span + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + span, page, PAGE_NOACCESS, &old);
        data_ = base_ + span - size;
    }
    ~GuardedBuffer() {
        VirtualFree(base_, 0, MEM_RELEASE);
    }
    char* data() {
        return data_;
    }

  private:
    char* base_;
    char* data_;
};

TEST_F(PopTest, LongTextIsCutAtTheBufferAndStillFreed) {
    const int kMiB = 1 << 20;
    const struct {
        int textLength;
        int bufferSize;
    } cases[] = {
        {63, 64},     {64, 64},     {1023, 64},   {kMiB, 64}, {63, 1024},
        {1023, 1024}, {1024, 1024}, {kMiB, 1024}, {0, 64},    {5, 1},
    };
    const int baseline = CountHeapBlocks();
    for (const auto& c : cases) {
        std::string text(static_cast<size_t>(c.textLength), 'a');
        for (int i = 0; i < c.textLength; ++i) {
            text[static_cast<size_t>(i)] = static_cast<char>('a' + i % 26);
        }
        StackEntry* below = stack_.Push("below");
        stack_.Push(text);
        GuardedBuffer buffer(c.bufferSize);

        ASSERT_EQ(PopParam(buffer.data(), c.bufferSize), 0);
        const size_t kept = std::min(text.size(), static_cast<size_t>(c.bufferSize - 1));
        EXPECT_EQ(std::string(buffer.data()), text.substr(0, kept))
            << c.textLength << " bytes into " << c.bufferSize;
        EXPECT_EQ(*stack_.TopLocation(), below);
        PopParam(nullptr, 0);
    }
    EXPECT_EQ(CountHeapBlocks(), baseline);
}
