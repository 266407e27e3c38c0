#include "emulator/key_table.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tobrel::emulator {
namespace {

// Position in the comment; the groups start at 1, 83, 84 and 85.
constexpr std::array<KeyNameEntry, kKeyTableSize> kKeyTable = {{
    {0, "EMPTY"},      // 1
    {37, "←"},         // 2
    {38, "↑"},         // 3
    {39, "→"},         // 4
    {40, "↓"},         // 5
    {8, "BS"},         // 6
    {9, "TAB"},        // 7
    {16, "SHIFT"},     // 8
    {17, "CTRL"},      // 9
    {18, "ALT"},       // 10
    {32, "SPACE"},     // 11
    {45, "INS"},       // 12
    {46, "DEL"},       // 13
    {36, "HOME"},      // 14
    {35, "END"},       // 15
    {33, "PAGE UP"},   // 16
    {34, "PAGE DOWN"}, // 17
    {91, "WINKEY"},    // 18
    {93, "APPKEY"},    // 19
    {112, "F1"},       // 20
    {113, "F2"},       // 21
    {114, "F3"},       // 22
    {115, "F4"},       // 23
    {116, "F5"},       // 24
    {117, "F6"},       // 25
    {118, "F7"},       // 26
    {119, "F8"},       // 27
    {120, "F9"},       // 28
    {121, "F10"},      // 29
    {122, "F11"},      // 30
    {123, "F12"},      // 31
    {48, "0"},         // 32
    {49, "1"},         // 33
    {50, "2"},         // 34
    {51, "3"},         // 35
    {52, "4"},         // 36
    {53, "5"},         // 37
    {54, "6"},         // 38
    {55, "7"},         // 39
    {56, "8"},         // 40
    {57, "9"},         // 41
    {65, "A"},         // 42
    {66, "B"},         // 43
    {67, "C"},         // 44
    {68, "D"},         // 45
    {69, "E"},         // 46
    {70, "F"},         // 47
    {71, "G"},         // 48
    {72, "H"},         // 49
    {73, "I"},         // 50
    {74, "J"},         // 51
    {75, "K"},         // 52
    {76, "L"},         // 53
    {77, "M"},         // 54
    {78, "N"},         // 55
    {79, "O"},         // 56
    {80, "P"},         // 57
    {81, "Q"},         // 58
    {82, "R"},         // 59
    {83, "S"},         // 60
    {84, "T"},         // 61
    {85, "U"},         // 62
    {86, "V"},         // 63
    {87, "W"},         // 64
    {88, "X"},         // 65
    {89, "Y"},         // 66
    {90, "Z"},         // 67
    {96, "NUM 0"},     // 68
    {97, "NUM 1"},     // 69
    {98, "NUM 2"},     // 70
    {99, "NUM 3"},     // 71
    {100, "NUM 4"},    // 72
    {101, "NUM 5"},    // 73
    {102, "NUM 6"},    // 74
    {103, "NUM 7"},    // 75
    {104, "NUM 8"},    // 76
    {105, "NUM 9"},    // 77
    {110, "NUM ."},    // 78
    {111, "NUM /"},    // 79
    {106, "NUM *"},    // 80
    {109, "NUM -"},    // 81
    {107, "NUM +"},    // 82
    {4, "ｺﾝﾄﾛｰﾗ Y軸"}, // 83
    {0, "ｺﾝﾄﾛｰﾗ X軸"}, // 84
    {48, "ﾎﾞﾀﾝ01"},    // 85
    {49, "ﾎﾞﾀﾝ02"},    // 86
    {50, "ﾎﾞﾀﾝ03"},    // 87
    {51, "ﾎﾞﾀﾝ04"},    // 88
    {52, "ﾎﾞﾀﾝ05"},    // 89
    {53, "ﾎﾞﾀﾝ06"},    // 90
    {54, "ﾎﾞﾀﾝ07"},    // 91
    {55, "ﾎﾞﾀﾝ08"},    // 92
    {56, "ﾎﾞﾀﾝ09"},    // 93
    {57, "ﾎﾞﾀﾝ10"},    // 94
    {58, "ﾎﾞﾀﾝ11"},    // 95
    {59, "ﾎﾞﾀﾝ12"},    // 96
}};

constexpr std::array<KeyNameEntry, kIdTableSize> kIdTable = {{
    {0, "EMPTY"},
    {112, "ID1"},
    {113, "ID2"},
    {114, "ID3"},
    {115, "ID4"},
    {116, "ID5"},
    {117, "ID6"},
    {118, "ID7"},
    {119, "ID8"},
    {120, "ID9"},
    {121, "ID10"},
    {122, "ID11"},
    {123, "ID12"},
    {124, "ID13"},
    {125, "ID14"},
    {126, "ID15"},
    {127, "ID16"},
}};

void checkRow(int row) {
    if (row < 0 || row >= kControllerRows) {
        throw std::out_of_range("controller row " + std::to_string(row));
    }
}

// The position the row's list adds after the keyboard part.
int extraFirstPosition(RowGroup group) {
    switch (group) {
    case RowGroup::UpDown:
        return kYAxisPosition;
    case RowGroup::LeftRight:
        return kXAxisPosition;
    case RowGroup::Buttons:
        return kButtonFirst;
    }
    return kYAxisPosition;
}

} // namespace

const std::array<KeyNameEntry, kKeyTableSize>& keyTable() {
    return kKeyTable;
}

const std::array<KeyNameEntry, kIdTableSize>& idTable() {
    return kIdTable;
}

const KeyNameEntry& keyEntry(int position) {
    if (position < 1 || position > kKeyTableSize) {
        throw std::out_of_range("keyTable position " + std::to_string(position));
    }
    return kKeyTable[static_cast<std::size_t>(position - 1)];
}

const KeyNameEntry& idEntry(int position) {
    if (position < 1 || position > kIdTableSize) {
        throw std::out_of_range("idTable position " + std::to_string(position));
    }
    return kIdTable[static_cast<std::size_t>(position - 1)];
}

std::optional<int> findKeyPosition(std::uint8_t code, int first, int last) {
    for (int position = std::max(first, 1); position <= std::min(last, kKeyTableSize); ++position) {
        if (keyEntry(position).code == code) {
            return position;
        }
    }
    return std::nullopt;
}

std::optional<int> findIdPosition(std::uint8_t code) {
    for (int position = 1; position <= kIdTableSize; ++position) {
        if (idEntry(position).code == code) {
            return position;
        }
    }
    return std::nullopt;
}

RowGroup rowGroup(int row) {
    checkRow(row);
    if (row <= 1) {
        return RowGroup::UpDown;
    }
    return row <= 3 ? RowGroup::LeftRight : RowGroup::Buttons;
}

int keyItemCount(int row) {
    return rowGroup(row) == RowGroup::Buttons ? kKeyboardLast + (kButtonLast - kButtonFirst + 1)
                                              : kKeyboardLast + 1;
}

int keyItemPosition(int row, int item) {
    if (item < 0 || item >= keyItemCount(row)) {
        throw std::out_of_range("key item " + std::to_string(item));
    }
    if (item < kKeyboardLast) {
        return item + 1;
    }
    return extraFirstPosition(rowGroup(row)) + (item - kKeyboardLast);
}

std::optional<int> keyItemOf(int row, int position) {
    const RowGroup group = rowGroup(row);
    if (position >= kKeyboardFirst && position <= kKeyboardLast) {
        return position - 1;
    }
    const int first = extraFirstPosition(group);
    const int last = group == RowGroup::Buttons ? kButtonLast : first;
    if (position >= first && position <= last) {
        return kKeyboardLast + (position - first);
    }
    return std::nullopt;
}

std::string_view keyItemName(int row, int item) {
    return keyEntry(keyItemPosition(row, item)).name;
}

} // namespace tobrel::emulator
