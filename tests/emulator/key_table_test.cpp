// The key and ID name tables and the lists each panel row offers.

#include "emulator/key_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace tobrel::emulator {
namespace {

struct Expected {
    int code;
    std::string name;
};

// keyTable as its rules describe it, run by run.
std::vector<Expected> expectedKeyTable() {
    std::vector<Expected> table = {
        {0, "EMPTY"},    {37, "←"},         {38, "↑"},      {39, "→"},     {40, "↓"},
        {8, "BS"},       {9, "TAB"},        {16, "SHIFT"},  {17, "CTRL"},  {18, "ALT"},
        {32, "SPACE"},   {45, "INS"},       {46, "DEL"},    {36, "HOME"},  {35, "END"},
        {33, "PAGE UP"}, {34, "PAGE DOWN"}, {91, "WINKEY"}, {93, "APPKEY"}};
    for (int n = 1; n <= 12; ++n) {
        table.push_back({111 + n, "F" + std::to_string(n)});
    }
    for (int n = 1; n <= 10; ++n) {
        table.push_back({47 + n, std::to_string(n - 1)});
    }
    for (int n = 1; n <= 26; ++n) {
        table.push_back({64 + n, std::string(1, static_cast<char>('A' + n - 1))});
    }
    for (int n = 1; n <= 10; ++n) {
        table.push_back({95 + n, "NUM " + std::to_string(n - 1)});
    }
    table.insert(table.end(), {{110, "NUM ."},
                               {111, "NUM /"},
                               {106, "NUM *"},
                               {109, "NUM -"},
                               {107, "NUM +"},
                               {4, "ｺﾝﾄﾛｰﾗ Y軸"},
                               {0, "ｺﾝﾄﾛｰﾗ X軸"}});
    for (int n = 1; n <= 12; ++n) {
        table.push_back({47 + n, std::string("ﾎﾞﾀﾝ") + (n < 10 ? "0" : "") + std::to_string(n)});
    }
    return table;
}

TEST(KeyTable, EveryPositionFollowsItsRule) {
    const auto expected = expectedKeyTable();
    ASSERT_EQ(expected.size(), 96u);
    ASSERT_EQ(keyTable().size(), 96u);
    for (int position = 1; position <= 96; ++position) {
        const auto& want = expected[static_cast<std::size_t>(position - 1)];
        EXPECT_EQ(keyEntry(position).code, want.code) << position;
        EXPECT_EQ(keyEntry(position).name, want.name) << position;
    }
    EXPECT_EQ(keyEntry(77).name, "NUM 9");
    EXPECT_EQ(keyEntry(78).name, "NUM .");

    ASSERT_EQ(idTable().size(), 17u);
    EXPECT_EQ(idEntry(1).code, 0);
    EXPECT_EQ(idEntry(1).name, "EMPTY");
    for (int n = 1; n <= 16; ++n) {
        EXPECT_EQ(idEntry(n + 1).code, 111 + n);
        EXPECT_EQ(idEntry(n + 1).name, "ID" + std::to_string(n));
    }
    EXPECT_THROW(keyEntry(97), std::out_of_range);
    EXPECT_THROW(idEntry(0), std::out_of_range);
}

TEST(KeyTable, CodesAreUniqueWithinEachSearchRangeAndFoundFromItsStart) {
    for (auto [first, last] : {std::pair{1, 82}, std::pair{83, 96}}) {
        std::set<int> codes;
        for (int position = first; position <= last; ++position) {
            EXPECT_TRUE(codes.insert(keyEntry(position).code).second) << position;
        }
    }
    const struct {
        std::uint8_t code;
        int from;
        std::optional<int> found;
    } cases[] = {
        {0, 1, 1},  {0, 83, 84},  {48, 1, 32},  {48, 83, 85},           {59, 83, 96},
        {4, 1, 83}, {105, 1, 77}, {110, 1, 78}, {37, 83, std::nullopt}, {200, 1, std::nullopt},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(findKeyPosition(item.code, item.from, 96), item.found)
            << int(item.code) << " from " << item.from;
    }
    EXPECT_EQ(findIdPosition(127), 17);
    EXPECT_EQ(findIdPosition(111), std::nullopt);
}

TEST(KeyTable, EachRowGroupListsTheKeyboardPartAndItsOwnJoystickEntries) {
    const struct {
        int row;
        int items;
        std::string last;
        std::set<int> joystickPositions; // after the keyboard part
    } rows[] = {
        {0, 83, "ｺﾝﾄﾛｰﾗ Y軸", {83}},
        {1, 83, "ｺﾝﾄﾛｰﾗ Y軸", {83}},
        {2, 83, "ｺﾝﾄﾛｰﾗ X軸", {84}},
        {3, 83, "ｺﾝﾄﾛｰﾗ X軸", {84}},
        {4, 94, "ﾎﾞﾀﾝ12", {85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96}},
        {13, 94, "ﾎﾞﾀﾝ12", {85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        ASSERT_EQ(keyItemCount(row.row), row.items);
        EXPECT_EQ(keyItemName(row.row, row.items - 1), row.last);
        std::set<int> listedJoystick;
        for (int item = 0; item < row.items; ++item) {
            const int position = keyItemPosition(row.row, item);
            EXPECT_EQ(keyItemOf(row.row, position), item); // the two rules agree
            if (item < 82) {
                EXPECT_EQ(position, item + 1);
            } else {
                listedJoystick.insert(position);
            }
        }
        EXPECT_EQ(listedJoystick, row.joystickPositions);
        for (int position = 83; position <= 96; ++position) {
            EXPECT_EQ(keyItemOf(row.row, position).has_value(),
                      row.joystickPositions.count(position) == 1);
        }
        EXPECT_THROW(keyItemPosition(row.row, row.items), std::out_of_range);
    }
    EXPECT_EQ(keyItemPosition(2, 82), 84);
    EXPECT_EQ(keyEntry(keyItemPosition(12, 93)).code, 59);
    EXPECT_THROW(rowGroup(14), std::out_of_range);
    EXPECT_THROW(rowGroup(-1), std::out_of_range);
}

} // namespace
} // namespace tobrel::emulator
