#include "views/CurveShape.h"

#include <gtest/gtest.h>

// Control points live apart from the line: copies must not share them, and
// points dropped by lowering the order come back as (0, 0).
TEST(CurveShapeControls, CopiesAreIndependentAndDroppedPointsRestart)
{
    CurveShape bent;
    bent.SetOrder(2);
    bent.SetControlX(0, 1);
    bent.SetControlY(0, 2);
    bent.SetControlX(1, 3);
    bent.SetControlY(1, 4);

    CurveShape copy(bent);
    CurveShape assigned;
    assigned = bent;
    bent.SetControlX(1, 30);
    for (const CurveShape* c : {&copy, &assigned}) {
        EXPECT_EQ(c->Order(), 2);
        EXPECT_EQ(c->ControlX(0), 1);
        EXPECT_EQ(c->ControlY(0), 2);
        EXPECT_EQ(c->ControlX(1), 3);
        EXPECT_EQ(c->ControlY(1), 4);
    }

    bent.SetOrder(1);
    EXPECT_EQ(bent.Order(), 1);
    EXPECT_EQ(bent.ControlX(0), 1);
    bent.SetOrder(2);
    EXPECT_EQ(bent.ControlX(1), 0);
    EXPECT_EQ(bent.ControlY(1), 0);
    bent.SetOrder(0);
    bent.SetOrder(7);  // clamped
    EXPECT_EQ(bent.Order(), 2);
    EXPECT_EQ(bent.ControlX(0), 0);

    CurveShape straight;
    assigned = straight;
    EXPECT_EQ(assigned.Order(), 0);
}
