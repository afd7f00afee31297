// Decoding the host's parameter stack: integer texts, popping order and freeing,
// and copies that must stop at the end of their buffer.
#include <gtest/gtest.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <iterator>
#include <string>

#include "host/Host.h"
#include "state/BackdropState.h"
#include "support/TestSupport.h"

struct IntCase {
    const TCHAR* text;
    int expected;
};

static void ExpectParses(const IntCase* begin, const IntCase* end) {
    for (const IntCase* c = begin; c != end; ++c) {
        EXPECT_EQ(ParseIntText(c->text), c->expected) << "text \"" << c->text << "\"";
    }
}

TEST(ParseIntText, ReadsDecimalOctalAndHexadecimal) {
    const IntCase cases[] = {
        {TEXT("42"), 42},
        {TEXT("-42"), -42},
        {TEXT("300"), 300},
        {TEXT("0x1F"), 31},
        {TEXT("0XfF"), 255},
        {TEXT("0xAbCd"), 0xABCD},
        {TEXT("010"), 8},
        {TEXT("0777"), 511},
        {TEXT("08"), 8},
        {TEXT("0129"), 10}, // octal 012, stops at '9'
        {TEXT("12a5"), 12},
        {TEXT("-0x10"), 0},
        {TEXT("+5"), 0},
        {TEXT(" 5"), 0},
        {TEXT(""), 0},
        {TEXT("-"), 0},
        {TEXT("0x"), 0},
        {TEXT("0xg"), 0},
        {TEXT("0"), 0},
        {TEXT("-0"), 0},
        {TEXT("5 6"), 5},
        {TEXT("0x1G"), 1},
        {TEXT("4294967295"), -1}, // 2^32 - 1 wraps
        {TEXT("4294967296"), 0},  // 2^32 wraps
        {TEXT("4294967338"), 42},
        {TEXT("-4294967295"), 1}, // negating wraps too
        {TEXT("2147483648"), INT_MIN},
        {TEXT("-2147483648"), INT_MIN},
        {TEXT("0x100000000"), 0},
        {TEXT("0xFFFFFFFF"), -1},
        {TEXT("0x123456789"), 0x23456789},
        {TEXT("040000000000"), 0}, // 2^32 in octal
        {TEXT("037777777777"), -1},
        {TEXT("99999999999999999999"), 1661992959}, // 10^20 mod 2^32
    };
    ExpectParses(std::begin(cases), std::end(cases));
}

#ifdef UNICODE
TEST(ParseIntText, CharactersWhoseLowByteIsADigitEndTheNumber) {
    // Each would read as a digit, a sign or a base prefix if it were cut to 8 bits.
    const IntCase cases[] = {
        {L"\u0131", 0},    // low byte '1'
        {L"1\u0131", 1},   // and after a digit
        {L"7\u0138", 7},   // low byte '8'
        {L"\uFF11", 0},    // FULLWIDTH DIGIT ONE is no ASCII digit
        {L"\u0661", 0},    // ARABIC-INDIC DIGIT ONE, low byte 'a'
        {L"0x\u0661", 0},  // not the hexadecimal digit a
        {L"0x1\u0646", 1}, // low byte 'F'
        {L"0\u01781F", 0}, // low byte 'x': no hexadecimal prefix, so decimal 0
        {L"0\u0137", 0},   // low byte '7': no octal digit
        {L"\u012D5", 0},   // low byte '-': no sign
        {L"\u3042", 0},
    };
    ExpectParses(std::begin(cases), std::end(cases));
}
#else
TEST(ParseIntText, BytesFrom0x80UpAreNoDigits) {
    const IntCase cases[] = {
        {"0x\x81"
         "1",
         0},
        {"1\x80"
         "2",
         1},
        {"\xb1"
         "5",
         0}, // 0xB1 - 0x80 would be '1'
        {"\xff", 0},
    };
    ExpectParses(std::begin(cases), std::end(cases));
}
#endif

class PopTest : public ::testing::Test {
  protected:
    int Pop(TCHAR* dest, int destSize) {
        return PopParam(stack_.TopLocation(), dest, destSize);
    }
    COLORREF PopColor() {
        return ::PopColor(stack_.TopLocation());
    }
    HostStack stack_;
};

TEST_F(PopTest, PopsTopFirstAndMovesTheStackTopDown) {
    stack_.Push(TEXT("bottom"));
    StackEntry* middle = stack_.Push(TEXT("middle"));
    stack_.Push(TEXT("top"));
    TCHAR text[64] = TEXT("untouched");

    ASSERT_EQ(Pop(text, 64), 0);
    EXPECT_STREQ(text, TEXT("top"));
    EXPECT_EQ(*stack_.TopLocation(), middle);

    ASSERT_EQ(Pop(text, 64), 0);
    EXPECT_STREQ(text, TEXT("middle"));
    ASSERT_EQ(Pop(text, 64), 0);
    EXPECT_STREQ(text, TEXT("bottom"));
    EXPECT_EQ(*stack_.TopLocation(), nullptr);

    lstrcpy(text, TEXT("kept"));
    EXPECT_EQ(Pop(text, 64), 1);
    EXPECT_STREQ(text, TEXT("kept"));
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
}

TEST_F(PopTest, NullStackTopLocationPopsNothing) {
    TCHAR text[8] = TEXT("kept");
    EXPECT_EQ(PopParam(nullptr, text, 8), 1);
    EXPECT_STREQ(text, TEXT("kept"));
    EXPECT_EQ(::PopColor(nullptr), RGB(0, 0, 0));
}

TEST_F(PopTest, NullDestinationDiscardsTheEntry) {
    StackEntry* below = stack_.Push(TEXT("below"));
    stack_.Push(TEXT("discarded"));
    EXPECT_EQ(Pop(nullptr, 0), 0);
    EXPECT_EQ(*stack_.TopLocation(), below);
    EXPECT_STREQ(below->text, TEXT("below"));
}

TEST_F(PopTest, PoppedEntriesAreFreedAndTheRestLeftAlone) {
    // Warm the heap up so the baseline holds only what this test allocates.
    stack_.Push(TEXT("warm-up"));
    Pop(nullptr, 0);
    const int baseline = CountHeapBlocks();

    StackEntry* kept = stack_.Push(TEXT("kept by the host"));
    for (int i = 0; i < 1000; ++i) {
        stack_.Push(NumberText(i));
    }
    EXPECT_EQ(CountHeapBlocks(), baseline + 1001);

    TCHAR text[64];
    for (int i = 999; i >= 0; --i) {
        ASSERT_EQ(Pop(i % 2 ? text : nullptr, 64), 0);
        if (i % 2) {
            EXPECT_EQ(tstring(text), NumberText(i));
        }
    }
    EXPECT_EQ(CountHeapBlocks(), baseline + 1);
    EXPECT_EQ(*stack_.TopLocation(), kept);
    EXPECT_STREQ(kept->text, TEXT("kept by the host"));
    EXPECT_EQ(kept->next, nullptr);
}

TEST_F(PopTest, PopColorTakesRedGreenBlueInPoppingOrder) {
    // A host pushes blue first so that red ends on top.
    stack_.Push(TEXT("0"));
    stack_.Push(TEXT("128"));
    stack_.Push(TEXT("255"));
    EXPECT_EQ(PopColor(), RGB(255, 128, 0));
    EXPECT_EQ(stack_.Depth(), 0);
}

TEST_F(PopTest, PopColorKeepsTheLowEightBitsOfEachComponent) {
    const struct {
        const TCHAR* red;
        const TCHAR* green;
        const TCHAR* blue;
        COLORREF expected;
    } cases[] = {
        {TEXT("256"), TEXT("300"), TEXT("-1"), RGB(0, 44, 255)},
        {TEXT("0x1FF"), TEXT("0377"), TEXT("-256"), RGB(255, 255, 0)},
        {TEXT("navy"), TEXT(""), TEXT("0x80"), RGB(0, 0, 128)},
    };
    for (const auto& c : cases) {
        stack_.Push(c.blue);
        stack_.Push(c.green);
        stack_.Push(c.red);
        EXPECT_EQ(PopColor(), c.expected) << c.red << " " << c.green << " " << c.blue;
    }
}

TEST_F(PopTest, ComponentsTheStackRanOutForReadAsZero) {
    stack_.Push(TEXT("77"));
    stack_.Push(TEXT("200"));
    EXPECT_EQ(PopColor(), RGB(200, 77, 0));
    EXPECT_EQ(PopColor(), RGB(0, 0, 0));
}

// A buffer of `size` characters that ends exactly where an inaccessible page
// begins, so a write one character past it faults.
class GuardedBuffer {
  public:
    explicit GuardedBuffer(int size) {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        const DWORD page = info.dwPageSize;
        const DWORD bytes = static_cast<DWORD>(size) * sizeof(TCHAR);
        const DWORD span = (bytes + page - 1) / page * page;
        base_ = static_cast<char*>(
            VirtualAlloc(nullptr, span + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + span, page, PAGE_NOACCESS, &old);
        data_ = reinterpret_cast<TCHAR*>(base_ + span - bytes);
    }
    ~GuardedBuffer() {
        VirtualFree(base_, 0, MEM_RELEASE);
    }
    TCHAR* data() {
        return data_;
    }

  private:
    char* base_;
    TCHAR* data_;
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
        tstring text(static_cast<size_t>(c.textLength), 'a');
        for (int i = 0; i < c.textLength; ++i) {
#ifdef UNICODE
            // Cyrillic between the Latin letters: the cut counts characters.
            text[static_cast<size_t>(i)] = i % 2 ? L'\u0410' + i % 32 : L'a' + i % 26;
#else
            text[static_cast<size_t>(i)] = static_cast<char>('a' + i % 26);
#endif
        }
        StackEntry* below = stack_.Push(TEXT("below"));
        stack_.Push(text);
        GuardedBuffer buffer(c.bufferSize);

        ASSERT_EQ(Pop(buffer.data(), c.bufferSize), 0);
        const size_t kept = std::min(text.size(), static_cast<size_t>(c.bufferSize - 1));
        EXPECT_EQ(tstring(buffer.data()), text.substr(0, kept))
            << c.textLength << " characters into " << c.bufferSize;
        EXPECT_EQ(*stack_.TopLocation(), below);
        Pop(nullptr, 0);
    }
    EXPECT_EQ(CountHeapBlocks(), baseline);
}

// An entry whose block ends before any NUL: the bytes behind it in the heap are not
// the host's text.
TEST_F(PopTest, ATextIsNeverReadPastItsEntrysBlock) {
    for (const tstring& text :
         {tstring(TEXT("Hello")), tstring(), tstring(TEXT("x")), tstring(70, 'q')}) {
        stack_.PushUnterminated(text);
        TCHAR title[TitleSize] = TEXT("?");
        ASSERT_EQ(Pop(title, TitleSize), 0);
        EXPECT_EQ(tstring(title), text);
        // And into a component's slot, where the block's end may come first or last.
        stack_.PushUnterminated(text);
        TCHAR slot[ComponentSlotSize];
        ASSERT_EQ(Pop(slot, ComponentSlotSize), 0);
        EXPECT_EQ(tstring(slot), text.substr(0, ComponentSlotSize - 1));
    }
    EXPECT_EQ(*stack_.TopLocation(), nullptr);
}

#ifdef UNICODE
// U+1F600 is two UTF-16 units: a cut between them would leave half a character.
TEST_F(PopTest, ACutNeverSplitsASurrogatePair) {
    const tstring smile = L"\U0001F600";
    ASSERT_EQ(smile.size(), 2u);
    const struct {
        const char* name;
        tstring text;
        tstring kept;
        bool terminated;
    } cases[] = {
        {"pair across the title's cut", tstring(1022, 'a') + smile, tstring(1022, 'a'), true},
        {"pair before the cut", tstring(1021, 'a') + smile + L"b", tstring(1021, 'a') + smile,
         true},
        {"pair across the block's end", L"ab" + smile.substr(0, 1), L"ab", false},
        {"whole pair at the block's end", L"ab" + smile, L"ab" + smile, false},
    };
    for (const auto& c : cases) {
        if (c.terminated) {
            stack_.Push(c.text);
        } else {
            stack_.PushUnterminated(c.text);
        }
        TCHAR title[TitleSize];
        ASSERT_EQ(Pop(title, TitleSize), 0) << c.name;
        EXPECT_EQ(tstring(title), c.kept) << c.name;
    }
}
#endif
