#pragma once
// Texts without a runtime: byte-wise length and comparisons, and FixedText,
// a zero-terminated text held in place whose capacity callers derive at
// compile time from the longest content it can be given.
//
// The comparisons are byte comparisons on purpose: lstrcmpA and lstrcmpiA
// compare by locale, and board names, tags and "Driver" values are matched
// byte for byte.
#include <stddef.h>

constexpr int TextLength(const char* text) {
    int length = 0;
    while (text[length] != '\0') ++length;
    return length;
}

constexpr bool TextsEqual(const char* a, const char* b) {
    for (; *a == *b; ++a, ++b) {
        if (*a == '\0') return true;
    }
    return false;
}

constexpr bool StartsWith(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (*text != *prefix) return false;
    }
    return true;
}

constexpr int Longer(int a, int b) { return a > b ? a : b; }

// The longest text of one column of a constant table, for deriving capacities.
template <typename Row, size_t N>
constexpr int LongestText(const Row (&table)[N], const char* const Row::*column) {
    int longest = 0;
    for (const Row& row : table) {
        if (row.*column != nullptr && TextLength(row.*column) > longest) longest = TextLength(row.*column);
    }
    return longest;
}

template <size_t N>
constexpr int LongestText(const char* const (&texts)[N]) {
    int longest = 0;
    for (const char* text : texts) {
        if (TextLength(text) > longest) longest = TextLength(text);
    }
    return longest;
}

template <int Capacity>
class FixedText {
public:
    static constexpr int kCapacity = Capacity;

    FixedText() { text_[0] = '\0'; }
    template <typename... Parts>
    explicit FixedText(const Parts&... parts) : FixedText() {
        (Append(parts), ...);
    }

    // The capacities are derived from the longest content, so nothing is cut;
    // were one ever too small, the end would be lost, never the memory after it.
    FixedText& Append(const char* text) {
        while (*text != '\0' && length_ < Capacity) text_[length_++] = *text++;
        text_[length_] = '\0';
        return *this;
    }
    // The first `count` bytes of `text`, or all of it when it is shorter.
    FixedText& Append(const char* text, int count) {
        while (count-- > 0 && *text != '\0' && length_ < Capacity) text_[length_++] = *text++;
        text_[length_] = '\0';
        return *this;
    }
    template <int Other>
    FixedText& Append(const FixedText<Other>& text) {
        return Append(text.c_str());
    }
    // The number in four decimal digits, 7 as 0007: how the display-class
    // keys are numbered.
    FixedText& AppendFourDigits(int number) {
        char digits[5] = {'0', '0', '0', '0', '\0'};
        for (int i = 3; i >= 0 && number > 0; --i, number /= 10) digits[i] = static_cast<char>('0' + number % 10);
        return Append(digits);
    }

    // The number in as few decimal digits as it takes.
    FixedText& AppendDecimal(unsigned long number) {
        char digits[11];  // 4294967295 and the terminator
        int first = 10;
        digits[first] = '\0';
        do {
            digits[--first] = static_cast<char>('0' + number % 10);
            number /= 10;
        } while (number > 0);
        return Append(digits + first);
    }

    const char* c_str() const { return text_; }
    operator const char*() const { return text_; }
    int Length() const { return length_; }

private:
    char text_[Capacity + 1];
    int length_ = 0;
};
