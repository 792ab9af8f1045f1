#pragma once
#include "qrtzdb/basis/Vertex3D.h"
#include "qrtzdb/model/DbComp.h"

namespace qrtz {

// One step of a trajectory line.
struct DbTrajPoint {
    // An image index that was never set.
    static constexpr int kImageNotSet = -9999;

    Vertex3D position;              // cell-relative
    int imageA = kImageNotSet;      // periodic image index along a
    // Periodic image indexes along b and c.
    int imageB = kImageNotSet;
    int imageC = kImageNotSet;
    int segmentFlag = 0;            // 1 when the segment to the next point is drawn
};

// The path of one point (an atom or a molecular centre) through the steps of a simulation.
// The host reads points and pointCount directly.
class DbTrajLine : public DbComp {
public:
    // An empty name and n new points (none when n < 1).
    explicit DbTrajLine(int n = 0) { Create(n); }
    DbTrajLine(const char* name, int n) { Create(name, n); }
    DbTrajLine(const DbTrajLine& other) : DbComp() { *this = other; }
    ~DbTrajLine() override { Clear(); }

    // The name and a copy of every point.
    DbTrajLine& operator=(const DbTrajLine& other);
    DbComp* Copy() const override { return new DbTrajLine(*this); }

    // Releases the points.
    void Clear();
    // Replaces the points by n new ones; none when n < 1.
    void Create(int n);
    void Create(const char* name, int n);

    // Decides whether the segment from point i to point i + 1 is drawn: it is, unless the point
    // changed its periodic image between the two steps along an axis given a non-zero flag.
    // An i outside 0..pointCount-2 is ignored.
    void SetLineFlag(int i, int x, int y, int z);

    DbTrajPoint* points = nullptr;  // owned, pointCount of them; null when there are none
    // Points held.
    int pointCount = 0;
};

} // namespace qrtz
