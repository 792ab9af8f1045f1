#include "qrtzdb/model/DbTrajLine.h"

namespace qrtz {

DbTrajLine& DbTrajLine::operator=(const DbTrajLine& other) {
    if (this == &other) return *this;
    DbComp::operator=(other);
    Create(other.pointCount);
    for (int i = 0; i < pointCount; ++i) points[i] = other.points[i];
    return *this;
}

void DbTrajLine::Clear() {
    delete[] points;
    points = nullptr;
    pointCount = 0;
}

void DbTrajLine::Create(int n) {
    Clear();
    if (n < 1) return;
    points = new DbTrajPoint[static_cast<std::size_t>(n)];
    pointCount = n;
}

void DbTrajLine::Create(const char* name, int n) {
    SetName(name);
    Create(n);
}

void DbTrajLine::SetLineFlag(int i, int x, int y, int z) {
    if (i < 0 || i >= pointCount - 1) return;
    const DbTrajPoint& here = points[i];
    const DbTrajPoint& next = points[i + 1];
    const bool jumped = (x && here.imageA != next.imageA) || (y && here.imageB != next.imageB) ||
                        (z && here.imageC != next.imageC);
    points[i].segmentFlag = jumped ? 0 : 1;
}

} // namespace qrtz
