// Decoding of the host's parameter stack: popping entries (which frees them) and
// reading integer texts into colour components. Pure apart from GlobalSize and
// GlobalFree: it pops through the stack-top location it is handed, so threads that
// each pop a stack of their own never meet.
#include "host/Host.h"

// How many characters the entry's block holds behind `next`, or -1 when GlobalSize
// cannot tell (a block that is not the host's GlobalAlloc one).
static SIZE_T TextCapacity(StackEntry* entry) {
    const SIZE_T bytes = GlobalSize(entry);
    if (bytes == 0) {
        return static_cast<SIZE_T>(-1);
    }
    return bytes < HostTextOffset ? 0 : (bytes - HostTextOffset) / sizeof(TCHAR);
}

// Copies at most destSize - 1 characters of `text`, never past `capacity`, and
// always ends dest with a NUL. Text that is cut loses a half surrogate pair at
// the cut, which no font draws.
static void CopyText(TCHAR* dest, int destSize, const TCHAR* text, SIZE_T capacity) {
    SIZE_T i = 0;
    const SIZE_T limit = static_cast<SIZE_T>(destSize - 1);
    for (; i < limit && i < capacity && text[i] != '\0'; ++i) {
        dest[i] = text[i];
    }
#ifdef UNICODE
    const bool whole = i < capacity && text[i] == '\0';
    if (!whole && i > 0 && IS_HIGH_SURROGATE(dest[i - 1])) {
        --i;
    }
#endif
    dest[i] = '\0';
}

int PopParam(StackEntry** top, TCHAR* dest, int destSize) {
    if (top == nullptr || *top == nullptr) {
        return 1;
    }
    // The host allocated this entry; once popped it is ours to free. The host
    // decides how long a text is, and whether it ends in a NUL at all.
    StackEntry* entry = *top;
    if (dest != nullptr && destSize > 0) {
        CopyText(dest, destSize, entry->text, TextCapacity(entry));
    }
    *top = entry->next;
    GlobalFree(entry);
    return 0;
}

// Whole characters are compared: in the 8-bit flavour bytes from 0x80 up are
// negative, in the UTF-16 flavour a character above 0xFF is never cut to its low byte.
static bool InRange(TCHAR c, TCHAR low, TCHAR high) {
    return c >= low && c <= high;
}

// Value of a hexadecimal digit, or -1 for any other character.
static int HexDigit(TCHAR c) {
    if (InRange(c, '0', '9')) {
        return c - '0';
    }
    if (InRange(c, 'a', 'f')) {
        return c - 'a' + 10;
    }
    if (InRange(c, 'A', 'F')) {
        return c - 'A' + 10;
    }
    return -1;
}

int ParseIntText(const TCHAR* text) {
    // "0x" or "0X" starts hexadecimal and a '0' before an octal digit octal (neither
    // takes a sign); anything else is decimal, with one optional '-'. A character
    // that is no digit of the base, '8' in octal or 'a' in decimal, ends the number.
    unsigned base = 10;
    bool negative = false;
    const TCHAR* p = text;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16;
        p += 2;
    } else if (p[0] == '0' && InRange(p[1], '0', '7')) {
        base = 8;
        p += 1;
    } else if (p[0] == '-') {
        negative = true;
        p += 1;
    }
    // Unsigned arithmetic wraps modulo 2^32 where signed overflow would be undefined.
    unsigned value = 0;
    for (int digit; (digit = HexDigit(*p)) >= 0 && static_cast<unsigned>(digit) < base; ++p) {
        value = value * base + static_cast<unsigned>(digit);
    }
    return static_cast<int>(negative ? 0u - value : value);
}

static BYTE PopComponent(StackEntry** top) {
    // A component whose entry is missing must read as 0, not as what the slot held.
    TCHAR slot[ComponentSlotSize];
    slot[0] = '\0';
    PopParam(top, slot, ComponentSlotSize);
    return static_cast<BYTE>(ParseIntText(slot));
}

COLORREF PopColor(StackEntry** top) {
    const BYTE red = PopComponent(top);
    const BYTE green = PopComponent(top);
    const BYTE blue = PopComponent(top);
    return RGB(red, green, blue);
}
