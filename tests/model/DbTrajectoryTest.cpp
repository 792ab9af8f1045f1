#include <gtest/gtest.h>

#include <cmath>

#include "qrtzdb/model/DbTrajectory.h"

namespace qrtz {
namespace {

void setImages(DbTrajLine& line, std::initializer_list<int> a) {
    int i = 0;
    for (int image : a) {
        line.points[i].imageA = image;
        line.points[i].imageB = 0;
        line.points[i].imageC = 0;
        ++i;
    }
}

TEST(DbTrajLine, PointsFlagsAndOwnership) {
    DbTrajLine line(3);
    ASSERT_EQ(line.pointCount, 3);
    ASSERT_NE(line.points, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(line.points[i].position, Vertex3D(0, 0, 0));
        EXPECT_EQ(line.points[i].imageA, -9999);
        EXPECT_EQ(line.points[i].imageC, -9999);
        EXPECT_EQ(line.points[i].segmentFlag, 0);
    }

    // A jump of image along a hides the segment only when a is named periodic.
    setImages(line, {0, 0, 1});
    line.SetLineFlag(0, 1, 0, 0);
    EXPECT_EQ(line.points[0].segmentFlag, 1);
    line.SetLineFlag(1, 1, 0, 0);
    EXPECT_EQ(line.points[1].segmentFlag, 0);
    line.SetLineFlag(1, 0, 1, 1);
    EXPECT_EQ(line.points[1].segmentFlag, 1);
    line.points[2].imageC = 4;
    line.SetLineFlag(1, 0, 0, 1);
    EXPECT_EQ(line.points[1].segmentFlag, 0);
    line.points[2].imageB = 2;
    line.SetLineFlag(1, 0, 0, 0);
    EXPECT_EQ(line.points[1].segmentFlag, 1);
    line.SetLineFlag(1, 0, 1, 0);
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
        EXPECT_EQ(copy.GetName(), "Na 12");
        EXPECT_EQ(copy.points[1].position, Vertex3D(0.1, 0.2, 0.3));
        EXPECT_EQ(copy.points[2].imageC, 4);
        EXPECT_EQ(copy.points[2].segmentFlag, 7);
        copy.points[1].imageB = 3;
    }
    EXPECT_EQ(line.points[1].imageB, 0);
    EXPECT_EQ(line.points[1].position, Vertex3D(0.1, 0.2, 0.3));
    line = line;
    EXPECT_EQ(line.pointCount, 3);
    EXPECT_EQ(line.points[2].imageC, 4);

    DbComp* made = line.Copy();
    auto* copied = dynamic_cast<DbTrajLine*>(made);
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->points[0].imageA, 0);
    delete made;

    line.Create("empty", 0);
    EXPECT_EQ(line.points, nullptr);
    EXPECT_EQ(line.pointCount, 0);
    EXPECT_EQ(line.GetName(), "empty");
    line.SetLineFlag(0, 1, 1, 1);
    DbTrajLine none(-4);
    EXPECT_EQ(none.points, nullptr);
    DbTrajLine assigned(5);
    assigned = none;
    EXPECT_EQ(assigned.pointCount, 0);
    EXPECT_EQ(assigned.points, nullptr);
}

TEST(DbTrajectory, MatricesCellsAndDeepCopies) {
    DbTrajectory traj;
    EXPECT_EQ(traj.GetName(), "");
    EXPECT_EQ(traj.stepCount, 0);
    EXPECT_EQ(traj.matrices, nullptr);

    traj.CreateHmatrix(2);
    ASSERT_EQ(traj.stepCount, 2);
    for (int s = 0; s < 2; ++s)
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) EXPECT_EQ(traj.matrices[s][i][j], i == j ? 1.0 : 0.0);

    const double first[3][3] = {{10, 0, 0}, {0, 11, 0}, {0, 0, 12}};
    const double last[3][3] = {{10, 1, 0}, {0, 11, 0}, {0.5, 0, 13}};
    EXPECT_EQ(traj.SetHmatrix(1, last), 1);
    EXPECT_EQ(traj.matrices[1][2][0], 0.5);
    EXPECT_EQ(traj.lastCell.matrix[0][1], 1.0);
    EXPECT_NEAR(traj.lastCell.a, std::sqrt(10 * 10 + 0.25), 1e-12);  // columns are the vectors
    EXPECT_EQ(traj.firstCell.matrix[0][0], 1.0);
    EXPECT_EQ(traj.SetHmatrix(0, first), 1);
    EXPECT_EQ(traj.firstCell.b, 11.0);
    EXPECT_EQ(traj.matrices[0][2][2], 12.0);
    EXPECT_EQ(traj.SetHmatrix(2, first), 0);
    EXPECT_EQ(traj.SetHmatrix(-1, first), 0);
    EXPECT_EQ(traj.matrices[1][2][2], 13.0);

    traj.SetName("run 1");
    for (int n = 0; n < 3; ++n) {
        auto* line = new DbTrajLine("atom", 2);
        line->points[1].imageA = n;
        traj.AppendTraj(line);
    }

    DbComp* made = traj.Copy();
    auto* copy = dynamic_cast<DbTrajectory*>(made);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetName(), "run 1");
    ASSERT_EQ(copy->GetTrajCount(), 3);
    POSITION mine = traj.GetTrajHeadPosition();
    for (POSITION pos = copy->GetTrajHeadPosition(); pos;) {
        const DbTrajLine* theirs = copy->GetTrajNext(pos);
        const DbTrajLine* own = traj.GetTrajNext(mine);
        EXPECT_NE(theirs, own);
        EXPECT_NE(theirs->points, own->points);
        EXPECT_EQ(theirs->points[1].imageA, own->points[1].imageA);
    }
    ASSERT_EQ(copy->stepCount, 2);
    EXPECT_NE(copy->matrices, traj.matrices);
    EXPECT_EQ(copy->matrices[1][0][1], 1.0);
    EXPECT_EQ(copy->lastCell.matrix[2][0], 0.5);
    EXPECT_EQ(copy->firstCell.c, 12.0);
    copy->matrices[0][0][0] = -1;
    copy->GetTrajAt(0)->points[0].imageB = 8;
    EXPECT_EQ(traj.matrices[0][0][0], 10.0);
    EXPECT_EQ(traj.GetTrajAt(0)->points[0].imageB, -9999);

    DbTrajectory empty;
    *copy = empty;
    EXPECT_EQ(copy->stepCount, 0);
    EXPECT_EQ(copy->matrices, nullptr);
    EXPECT_EQ(copy->GetTrajCount(), 0);
    delete made;

    traj = traj;
    EXPECT_EQ(traj.GetTrajCount(), 3);
    EXPECT_EQ(traj.matrices[1][2][2], 13.0);

    traj.CreateHmatrix(5);
    traj.CreateHmatrix(0);
    EXPECT_EQ(traj.stepCount, 0);
    EXPECT_EQ(traj.matrices, nullptr);
    EXPECT_EQ(traj.SetHmatrix(0, first), 0);

    // One step: only the first cell hears of it.
    DbTrajectory single;
    single.CreateHmatrix(1);
    single.SetHmatrix(0, last);
    EXPECT_EQ(single.firstCell.matrix[0][1], 1.0);
    EXPECT_EQ(single.lastCell.matrix[0][1], 0.0);
}

} // namespace
} // namespace qrtz
