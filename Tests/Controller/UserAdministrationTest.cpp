// The user-account window's pieces that need no server: who may open it, and the permission
// grids' mapping of cells to bits.
#include "ControllerTestSupport.h"

#include "Controller/UserAccountController.h"
#include "Customization/BKPermissionGrid.h"

#include <QCheckBox>
#include <QtTest>

class UserAdministrationTest : public ControllerSessionTest {
    Q_OBJECT

private slots:
    void init() { startSession(); }
    void cleanup() { endSession(); }

    void onlyAnAdministratorOpensTheWindow()
    {
        // The session without a server is no administrator's.
        controller_->displayUserList();
        QCOMPARE(alerts_->messages(), QStringList{"Only a vault administrator can manage users."});
        QVERIFY(!controller_->userAccountController());
        QVERIFY(controller_->mCurrentUserName().isNull());
    }

    void gridCellsAreBitsRowByRow()
    {
        struct Case {
            int rows;
            quint16 word;
            QList<QPoint> checked;   // (column, row)
        };
        const Case cases[] = {
            {1, 5, {{0, 0}, {2, 0}}},
            {2, 0b101010, {{1, 0}, {0, 1}, {2, 1}}},
            {2, 63, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}},
            {1, 0, {}},
        };
        for (const Case& c : cases) {
            BKPermissionGrid grid(c.rows, 3, QStringList());
            grid.setWord(c.word);
            for (int r = 0; r < c.rows; ++r)
                for (int col = 0; col < 3; ++col)
                    QCOMPARE(grid.cell(r, col)->isChecked(), c.checked.contains(QPoint(col, r)));
            QCOMPARE(grid.word(), c.word);
            // Clicking a box changes its bit alone.
            grid.cell(0, 1)->click();
            QCOMPARE(grid.word(), quint16(c.word ^ 2));
        }
        // Bits the grid has no box for are dropped.
        BKPermissionGrid small(1, 3, QStringList());
        small.setWord(0xFF);
        QCOMPARE(small.word(), quint16(7));
    }
};

QTEST_MAIN(UserAdministrationTest)
#include "UserAdministrationTest.moc"
