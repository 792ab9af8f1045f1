#include "qrtzdb/model/DbMoleculeSet.h"

namespace qrtz {

DbMolecule* DbMoleculeSet::CreateDbMolecule(const char* name) { return new DbMolecule(name); }

double DbMoleculeSet::GetMass() const {
    double sum = 0.0;
    for (POSITION pos = GetMolHeadPosition(); pos;) sum += GetMolNext(pos)->GetMass();
    return sum;
}

double DbMoleculeSet::GetMass(const char* type) const {
    double sum = 0.0;
    for (POSITION pos = GetMolHeadPosition(type); pos;) sum += GetMolNext(type, pos)->GetMass();
    return sum;
}

int DbMoleculeSet::GetAtomCount() const {
    int count = 0;
    for (POSITION pos = GetMolHeadPosition(); pos;) count += GetMolNext(pos)->GetAtomCount();
    return count;
}

} // namespace qrtz
