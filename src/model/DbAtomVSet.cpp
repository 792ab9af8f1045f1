#include "qrtzdb/model/DbAtomVSet.h"

namespace qrtz {

DbAtomV* DbAtomVSet::CreateDbAtomV(const char* name, Vertex3D& position, double mass,
                                   double charge, double radius) {
    return new DbAtomV(name, position, mass, charge, radius);
}

void DbAtomVSet::Transform(const double M[3][3]) {
    for (POSITION pos = GetHeadPosition(); pos;) GetAtomNext(pos)->Transform(M);
}

void DbAtomVSet::Transform(const Vertex3D& shift) {
    for (POSITION pos = GetHeadPosition(); pos;) GetAtomNext(pos)->position += shift;
}

Vertex3D DbAtomVSet::GetCenter() const {
    Vertex3D sum;
    for (POSITION pos = GetHeadPosition(); pos;) sum += GetAtomNext(pos)->position;
    if (GetCount() > 0) sum /= GetCount();
    return sum;
}

double DbAtomVSet::GetMass() const {
    double sum = 0.0;
    for (POSITION pos = GetHeadPosition(); pos;) sum += GetAtomNext(pos)->mass;
    return sum;
}

double DbAtomVSet::GetMass(const char* type) const {
    double sum = 0.0;
    for (POSITION pos = GetHeadPosition(type); pos;) sum += GetAtomNext(type, pos)->mass;
    return sum;
}

} // namespace qrtz
