// Decoding of the host's parameter stack: popping entries (which frees them) and
// reading integer texts into colour components. Pure apart from GlobalFree.
#include "host/Host.h"
#include "state/BackdropState.h"

int PopParam(TCHAR* dest, int destSize) {
    StackEntry** top = gState.stackTop;
    if (top == nullptr || *top == nullptr) {
        return 1;
    }
    // The host allocated this entry; once popped it is ours to free.
    StackEntry* entry = *top;
    if (dest != nullptr && destSize > 0) {
        // Copy no more than the buffer holds: the host decides how long a text is.
        int i = 0;
        for (; i < destSize - 1 && entry->text[i] != '\0'; ++i) {
            dest[i] = entry->text[i];
        }
        dest[i] = '\0';
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

static BYTE PopComponent() {
    // A component whose entry is missing must read as 0, not as what the slot held.
    TCHAR slot[ComponentSlotSize];
    slot[0] = '\0';
    PopParam(slot, ComponentSlotSize);
    return static_cast<BYTE>(ParseIntText(slot));
}

COLORREF PopColor() {
    const BYTE red = PopComponent();
    const BYTE green = PopComponent();
    const BYTE blue = PopComponent();
    return RGB(red, green, blue);
}
