#include <gtest/gtest.h>

#include <cmath>

#include "qrtzdb/model/DbTrajectory.h"

namespace qrtz {
namespace {

TEST(DbTrajLine, PointsFlagsAndOwnership) {
    DbTrajLine line(3);
    ASSERT_TRUE(line.pointCount == 3 && line.points);
    for (int i = 0; i < 3; ++i) {
        const DbTrajPoint& p = line.points[i];
        EXPECT_TRUE(p.position == Vertex3D() && p.imageA == -9999 && p.imageB == -9999 &&
                    p.imageC == -9999 && p.segmentFlag == 0);
        line.points[i].imageA = i / 2;  // 0, 0, 1
        line.points[i].imageB = line.points[i].imageC = 0;
    }
    // A change of image hides the segment only along an axis named periodic.
    line.SetLineFlag(0, 1, 0, 0);
    EXPECT_EQ(line.points[0].segmentFlag, 1);
    line.SetLineFlag(1, 1, 0, 0);
    EXPECT_EQ(line.points[1].segmentFlag, 0);
    line.SetLineFlag(1, 0, 1, 1);
    EXPECT_EQ(line.points[1].segmentFlag, 1);
    line.points[2].imageB = 2;
    line.SetLineFlag(1, 0, 0, 0);
    EXPECT_EQ(line.points[1].segmentFlag, 1);
    line.SetLineFlag(1, 0, 1, 0);
    EXPECT_EQ(line.points[1].segmentFlag, 0);
    line.points[2].imageB = 0;
    line.points[2].imageC = 4;
    line.SetLineFlag(1, 0, 0, 1);
    EXPECT_EQ(line.points[1].segmentFlag, 0);
    line.points[2].segmentFlag = 7;
    line.SetLineFlag(2, 1, 1, 1);  // the last point has no segment
    line.SetLineFlag(-1, 1, 1, 1);
    EXPECT_EQ(line.points[2].segmentFlag, 7);

    line.SetName("Na 12");
    line.points[1].position = Vertex3D(0.1, 0.2, 0.3);
    {
        DbTrajLine copy(line);
        EXPECT_NE(copy.points, line.points);
        EXPECT_TRUE(copy.GetName() == "Na 12" && copy.points[2].imageC == 4 &&
                    copy.points[2].segmentFlag == 7);
        EXPECT_EQ(copy.points[1].position, Vertex3D(0.1, 0.2, 0.3));
        copy.points[1].imageB = 3;
    }
    EXPECT_EQ(line.points[1].imageB, 0);
    line = line;
    EXPECT_TRUE(line.pointCount == 3 && line.points[2].imageC == 4);
    DbComp* made = line.Copy();
    auto* copied = dynamic_cast<DbTrajLine*>(made);
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->points[1].position, Vertex3D(0.1, 0.2, 0.3));
    delete made;

    line.Create("empty", 0);
    EXPECT_TRUE(line.points == nullptr && line.pointCount == 0 && line.GetName() == "empty");
    line.SetLineFlag(0, 1, 1, 1);
    DbTrajLine assigned(5);
    assigned = DbTrajLine(-4);
    EXPECT_TRUE(assigned.points == nullptr && assigned.pointCount == 0);
}

TEST(DbTrajectory, MatricesCellsAndDeepCopies) {
    DbTrajectory traj;
    EXPECT_TRUE(traj.GetName().empty() && traj.stepCount == 0 && traj.matrices == nullptr);
    traj.CreateHmatrix(2);
    ASSERT_EQ(traj.stepCount, 2);
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(traj.matrices[i / 9][i % 9 / 3][i % 3], i % 9 % 4 == 0 ? 1.0 : 0.0) << i;

    const double first[3][3] = {{10, 0, 0}, {0, 11, 0}, {0, 0, 12}};
    const double last[3][3] = {{10, 1, 0}, {0, 11, 0}, {0.5, 0, 13}};
    EXPECT_EQ(traj.SetHmatrix(1, last), 1);
    EXPECT_TRUE(traj.matrices[1][2][0] == 0.5 && traj.lastCell.matrix[0][1] == 1.0);
    EXPECT_NEAR(traj.lastCell.a, std::sqrt(10 * 10 + 0.25), 1e-12);  // columns are the vectors
    EXPECT_EQ(traj.firstCell.matrix[0][0], 1.0);
    EXPECT_EQ(traj.SetHmatrix(0, first), 1);
    EXPECT_TRUE(traj.firstCell.b == 11.0 && traj.matrices[0][2][2] == 12.0);
    EXPECT_EQ(traj.SetHmatrix(2, first), 0);
    EXPECT_EQ(traj.SetHmatrix(-1, first), 0);
    EXPECT_EQ(traj.matrices[1][2][2], 13.0);

    traj.SetName("run 1");
    for (int n = 0; n < 3; ++n) {
        traj.AppendTraj(new DbTrajLine("atom", 2));
        traj.GetTrajAt(n)->points[1].imageA = n;
    }
    DbComp* made = traj.Copy();
    auto* copy = dynamic_cast<DbTrajectory*>(made);
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(copy->GetName() == "run 1" && copy->GetTrajCount() == 3 && copy->stepCount == 2);
    for (POSITION theirs = copy->GetTrajHeadPosition(), mine = traj.GetTrajHeadPosition(); theirs;) {
        const DbTrajLine* other = copy->GetTrajNext(theirs);
        const DbTrajLine* own = traj.GetTrajNext(mine);
        EXPECT_TRUE(other != own && other->points != own->points);
        EXPECT_EQ(other->points[1].imageA, own->points[1].imageA);
    }
    EXPECT_NE(copy->matrices, traj.matrices);
    EXPECT_TRUE(copy->matrices[1][0][1] == 1.0 && copy->lastCell.matrix[2][0] == 0.5 &&
                copy->firstCell.c == 12.0);
    copy->matrices[0][0][0] = -1;
    copy->GetTrajAt(0)->points[0].imageB = 8;
    EXPECT_EQ(traj.matrices[0][0][0], 10.0);
    EXPECT_EQ(traj.GetTrajAt(0)->points[0].imageB, -9999);
    *copy = DbTrajectory();
    EXPECT_TRUE(copy->stepCount == 0 && copy->matrices == nullptr && copy->GetTrajCount() == 0);
    delete made;

    traj = traj;
    EXPECT_TRUE(traj.GetTrajCount() == 3 && traj.matrices[1][2][2] == 13.0);
    traj.CreateHmatrix(5);
    traj.CreateHmatrix(0);
    EXPECT_TRUE(traj.stepCount == 0 && traj.matrices == nullptr);
    EXPECT_EQ(traj.SetHmatrix(0, first), 0);

    DbTrajectory single;  // one step: only the first cell hears of it
    single.CreateHmatrix(1);
    single.SetHmatrix(0, last);
    EXPECT_TRUE(single.firstCell.matrix[0][1] == 1.0 && single.lastCell.matrix[0][1] == 0.0);
}

} // namespace
} // namespace qrtz
