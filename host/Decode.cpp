// Decoding of the host's parameter stack: popping entries (which frees them) and
// reading integer texts into colour components. Pure apart from GlobalFree.
#include "host/Host.h"
#include "state/BackdropState.h"

int PopParam(char* dest, int destSize) {
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

static bool InRange(char c, char low, char high) {
    return c >= low && c <= high;
}

// Value of a hexadecimal digit, or -1 for any other character.
static int HexDigit(char c) {
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

int ParseIntText(const char* text) {
    // Unsigned arithmetic wraps modulo 2^32 where signed overflow would be undefined.
    unsigned value = 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (const char* p = text + 2; HexDigit(*p) >= 0; ++p) {
            value = value * 16 + static_cast<unsigned>(HexDigit(*p));
        }
        return static_cast<int>(value);
    }
    if (text[0] == '0' && InRange(text[1], '0', '7')) {
        for (const char* p = text + 1; InRange(*p, '0', '7'); ++p) {
            value = value * 8 + static_cast<unsigned>(*p - '0');
        }
        return static_cast<int>(value);
    }
    const bool negative = text[0] == '-';
    for (const char* p = negative ? text + 1 : text; InRange(*p, '0', '9'); ++p) {
        value = value * 10 + static_cast<unsigned>(*p - '0');
    }
    return static_cast<int>(negative ? 0u - value : value);
}

static BYTE PopComponent() {
    // A component whose entry is missing must read as 0, not as what the slot held.
    char slot[ComponentSlotSize];
    slot[0] = '\0';
    PopParam(slot, sizeof slot);
    return static_cast<BYTE>(ParseIntText(slot));
}

COLORREF PopColor() {
    const BYTE red = PopComponent();
    const BYTE green = PopComponent();
    const BYTE blue = PopComponent();
    return RGB(red, green, blue);
}
