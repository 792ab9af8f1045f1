#include <qrtzdb/qrtzdb.h>

#include <cstdio>

int main() {
    qrtz::DbAtomVSet atoms;
    atoms.AppendAtom(atoms.CreateDbAtomV("O", qrtz::Vertex3D(0, 0, 0), 15.999, 0.0, 0.66));
    atoms.AppendAtom(atoms.CreateDbAtomV("H", qrtz::Vertex3D(0.96, 0, 0), 1.008, 0.0, 0.31));
    atoms.UpdateAtomTypeList();
    std::printf("consumer: QrtzDB %s, %d atoms of %d types, mass %.3f\n",
                qrtz::LibraryVersion(), atoms.GetAtomCount(), atoms.GetAtomTypeCount(),
                atoms.GetMass());
    return atoms.GetAtomTypeCount() == 2 ? 0 : 1;
}
