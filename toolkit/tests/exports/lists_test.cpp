// The list and scroll exports: row ids, data, queries, sorting, positions.
#include <limits>

#include "exports/exports_fixture.h"

namespace exports_test {
namespace {

bool Descending(int a, int b) {
    return a > b;
}

TEST_F(Exports, ItemIdsAreNeverReusedAndRowsKeepTheirData) {
    XuiControl* list = C("list");
    EXPECT_EQ(XUI_ITEM_APPEND(list, 10), 1);
    EXPECT_EQ(XUI_ITEM_APPEND(list, 20), 2);
    EXPECT_EQ(XUI_ITEM_APPEND(list, 30), 3);
    XUI_ITEM_REMOVE(list, 3);
    EXPECT_EQ(XUI_ITEM_APPEND(list, 40), 4) << "not 3";
    EXPECT_EQ(XUI_ITEM_COUNT(list), 3);
    EXPECT_EQ(XUI_ITEM_DATA(list, 2), 20);
    EXPECT_EQ(XUI_ITEM_DATA(list, 3), 0) << "absent";
    EXPECT_EQ(XUI_ITEM_APPEND(C("l"), 1), -1) << "a label has no rows";

    XuiControl* cell = XUI_ITEM_QUERY(list, 4, "cell");
    ASSERT_NE(cell, nullptr);
    int row = 0;
    XUI_COMMON_GET(cell, nullptr, 0, nullptr, 0, nullptr, 0, &row);
    EXPECT_EQ(row, 4);
    EXPECT_NE(XUI_ITEM_QUERY(list, 1, "cell"), cell) << "each row has its own copy";
    EXPECT_EQ(XUI_ITEM_QUERY(list, 3, "cell"), nullptr);
    EXPECT_EQ(XUI_VCL_QUERY(window, "cell"), nullptr)
        << "row controls stay out of the window's names";

    XUI_ITEM_RESET(list);
    EXPECT_EQ(XUI_ITEM_COUNT(list), 0);
    EXPECT_EQ(XUI_ITEM_APPEND(list, 1), 5);
}

TEST_F(Exports, SortingOrdersRowsByTheHostsPredicate) {
    XuiControl* list = C("list");
    for (int data : {2, 9, 5}) {
        XUI_ITEM_APPEND(list, data);
    }
    XUI_ITEM_SORT(list, Descending);
    XUI_ITEM_SORT(list, nullptr);  // no predicate, no change
    // Rows are laid out in order: the first row now holds the largest datum.
    int y1 = 0, y2 = 0, y3 = 0;
    XUI_SIZE_GET(XUI_ITEM_QUERY(list, 2, "cell"), nullptr, &y1, nullptr, nullptr, 0);
    XUI_SIZE_GET(XUI_ITEM_QUERY(list, 3, "cell"), nullptr, &y2, nullptr, nullptr, 0);
    XUI_SIZE_GET(XUI_ITEM_QUERY(list, 1, "cell"), nullptr, &y3, nullptr, nullptr, 0);
    EXPECT_LT(y1, y2);
    EXPECT_LT(y2, y3);
}

TEST_F(Exports, PercentSetSkipsTheCurrentValueUnlessForced) {
    XuiControl* s = C("s");
    XUI_PERCENT_SET(s, 0.25f, 0);
    EXPECT_FLOAT_EQ(XUI_PERCENT_GET(s), 0.25f);
    XUI_PERCENT_SET(s, 2.0f, 1);
    EXPECT_FLOAT_EQ(XUI_PERCENT_GET(s), 1.0f) << "fractions are kept within 0 to 1";
    XUI_PERCENT_SET(s, std::numeric_limits<float>::quiet_NaN(), 1);
    EXPECT_FLOAT_EQ(XUI_PERCENT_GET(s), 1.0f);
    EXPECT_EQ(XUI_PERCENT_GET(C("l")), 0.0f) << "labels have no position";
}

}  // namespace
}  // namespace exports_test
