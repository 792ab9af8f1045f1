#pragma once
// Writes the simulator's result and input files for the tests and benchmarks: Fortran-style
// records (length, data, length) in either byte order, every header layout the reader accepts,
// and hooks to break them (forced lengths, raw bytes, truncation by resizing the output).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "qrtzdb/simulation/MagicNo.h"

namespace qrtz::simtest {

// The data of one record, already in the byte order of the file.
class Rec {
public:
    explicit Rec(bool swap = false) : m_swap(swap) {}

    Rec& I(std::int32_t v) { return put32(static_cast<std::uint32_t>(v)); }
    Rec& F(float v) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        return put32(u);
    }
    Rec& D(double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, 8);
        if (m_swap) u = __builtin_bswap64(u);
        data.append(reinterpret_cast<const char*>(&u), 8);
        return *this;
    }
    Rec& Is(const std::vector<int>& v) {
        for (int x : v) I(x);
        return *this;
    }
    Rec& Fs(const std::vector<float>& v) {
        for (float x : v) F(x);
        return *this;
    }
    // A text field of exactly width bytes: cut, or padded with pad.
    Rec& T(const std::string& s, std::size_t width, char pad = ' ') {
        std::string field = s.substr(0, width);
        field.resize(width, pad);
        data += field;
        return *this;
    }
    Rec& Bytes(std::size_t n, char fill = '\xEE') {
        data.append(n, fill);
        return *this;
    }

    std::string data;

private:
    Rec& put32(std::uint32_t u) {
        if (m_swap) u = __builtin_bswap32(u);
        data.append(reinterpret_cast<const char*>(&u), 4);
        return *this;
    }
    bool m_swap;
};

// A file being written: records framed by their lengths, or raw bytes.
class RecordWriter {
public:
    explicit RecordWriter(bool swap = false) : swap(swap) {}

    Rec rec() const { return Rec(swap); }
    void put(const Rec& r) {
        const auto n = static_cast<std::int32_t>(r.data.size());
        put(r, n, n);
    }
    // A record whose framing lengths say something else than its data.
    void put(const Rec& r, std::int32_t lead, std::int32_t trail) {
        raw(rec().I(lead).data);
        raw(r.data);
        raw(rec().I(trail).data);
    }
    void raw(const std::string& s) { bytes += s; }

    bool swap;
    std::string bytes;
};

struct AtomDef {
    std::string name;
    float mass = 12.0f;
    float charge = 0.0f;
    int code = 6;
};

struct BondDef {
    int first = 1;
    int second = 2;
    std::string name = "1 ";
};

struct TypeDef {
    std::string name;
    int molCount0 = 1;
    std::vector<AtomDef> atoms;
    std::vector<BondDef> bonds;
    int code = 0;
    int kinds = -1;  // the declared number of distinct atom names; -1: the true number

    int DistinctNames() const {
        std::set<std::string> seen;
        for (const AtomDef& a : atoms) seen.insert(a.name.substr(0, 4));
        return static_cast<int>(seen.size());
    }
};

// One frame. Empty per-atom arrays are written as zeros for atomCount atoms.
struct FrameDef {
    std::vector<float> thermo;
    std::vector<float> extra;
    std::vector<int> skip;
    float cell[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
    static constexpr int kAllAtoms = -2147483647 - 1;
    int atomCount = kAllAtoms;    // "Sp" files: the stored count (-1 and 0 too); kAllAtoms: N
    std::vector<int> molCounts;   // "Sp" files: per type; empty takes the initial counts
    std::vector<float> x, y, z, vx, vy, vz, ep;
    std::vector<std::string> extraRecords;  // data of the records after the energies
};

struct SimFileDef {
    bool oldest = false;  // the first record is a 20-byte title, no magic number
    int magic = MagicNo::GetSimMagicNo4Bk();
    std::string title = "test run";
    std::string text46 = "forty-six bytes of text";
    std::string text80 = "eighty bytes of text";
    int total = 3, first = 1, last = 3, interval = 1;
    float dt = 1.0f;
    int param1 = 11, param2 = 12, param3 = 13;
    float param4 = 14.5f;
    int atomCount = -1;  // N; -1: the sum of initial count x atoms per molecule
    int thermoCount = 6, extraCount = 0, skipCount = 0, coordRecCount = 3;
    std::vector<TypeDef> types;
    std::vector<float> x0, y0, z0;  // empty: zeros
    float cell0[9] = {10, 0, 0, 0, 10, 0, 0, 0, 10};
    std::vector<FrameDef> frames;
    bool swap = false;

    bool Sp() const { return !oldest && MagicNo::IsSimSp(magic); }
    bool V4() const { return !oldest && MagicNo::IsSimV4OrAfter(magic); }
    int N() const {
        if (atomCount >= 0) return atomCount;
        int n = 0;
        for (const TypeDef& t : types) n += t.molCount0 * static_cast<int>(t.atoms.size());
        return n;
    }
    // The thermo, extra and coordinate-record counts the reader will assume.
    int T() const { return V4() ? thermoCount : Sp() ? 8 : 6; }
    int X() const { return V4() ? extraCount : 0; }
    int K() const { return V4() ? skipCount : 0; }
    int C() const { return V4() ? coordRecCount : 3; }
};

inline std::vector<float> Sized(const std::vector<float>& v, std::size_t n) {
    std::vector<float> out(v);
    out.resize(n, 0.0f);
    return out;
}

inline void WriteHeader(RecordWriter& w, const SimFileDef& d) {
    if (d.oldest) {
        w.put(w.rec().T(d.title, 20));
    } else {
        w.put(w.rec().I(d.magic));
        w.put(w.rec().T(d.title, static_cast<std::size_t>(MagicNo::GetFileTitleLength(d.magic))));
    }
    w.put(w.rec().T(d.text46, 46));
    w.put(w.rec().T(d.text80, 80));
    w.put(w.rec().I(-7).I(d.total).I(d.first).I(d.last).I(d.interval));
    w.put(w.rec().F(d.dt).I(-7).I(d.param1).I(d.param2).I(d.param3).F(d.param4));
    Rec counts = w.rec();
    counts.I(d.N()).I(static_cast<int>(d.types.size()));
    if (d.V4()) counts.I(d.thermoCount).I(d.extraCount).I(d.skipCount).I(d.coordRecCount);
    w.put(counts);

    Rec table = w.rec();
    for (const TypeDef& t : d.types) table.T(t.name, 16);
    for (const TypeDef& t : d.types) table.I(t.code);
    for (const TypeDef& t : d.types) table.I(t.molCount0);
    for (const TypeDef& t : d.types) table.I(static_cast<int>(t.atoms.size()));
    for (const TypeDef& t : d.types) table.I(static_cast<int>(t.bonds.size()));
    for (const TypeDef& t : d.types) table.I(t.kinds >= 0 ? t.kinds : t.DistinctNames());
    w.put(table);

    Rec atoms = w.rec();
    for (const TypeDef& t : d.types)
        for (const AtomDef& a : t.atoms) atoms.I(a.code);
    for (const TypeDef& t : d.types)
        for (const AtomDef& a : t.atoms) atoms.T(a.name, 4, '\0');
    for (const TypeDef& t : d.types)
        for (const AtomDef& a : t.atoms) atoms.F(a.mass);
    for (const TypeDef& t : d.types)
        for (const AtomDef& a : t.atoms) atoms.F(a.charge);
    w.put(atoms);

    std::size_t bondCount = 0;
    for (const TypeDef& t : d.types) bondCount += t.bonds.size();
    if (bondCount > 0) {
        Rec bonds = w.rec();
        for (const TypeDef& t : d.types)
            for (const BondDef& b : t.bonds) bonds.I(b.first);
        for (const TypeDef& t : d.types)
            for (const BondDef& b : t.bonds) bonds.I(b.second);
        for (const TypeDef& t : d.types)
            for (const BondDef& b : t.bonds) bonds.T(b.name, 4, '\0');
        w.put(bonds);
    }
    const auto n = static_cast<std::size_t>(d.N());
    w.put(w.rec().Fs(Sized(d.x0, n)).Fs(Sized(d.y0, n)).Fs(Sized(d.z0, n)));
    Rec cell = w.rec();
    for (float f : d.cell0) cell.F(f);
    w.put(cell);
}

inline void WriteFrame(RecordWriter& w, const SimFileDef& d, const FrameDef& f) {
    if (d.T() > 0) w.put(w.rec().Fs(Sized(f.thermo, static_cast<std::size_t>(d.T()))));
    if (d.X() > 0) w.put(w.rec().Fs(Sized(f.extra, static_cast<std::size_t>(d.X()))));
    if (d.K() > 0) {
        std::vector<int> skip(f.skip);
        skip.resize(static_cast<std::size_t>(d.K()), -3);
        w.put(w.rec().Is(skip));
    }
    Rec cell = w.rec();
    for (float v : f.cell) cell.F(v);
    w.put(cell);
    int n = d.N();
    if (d.Sp()) {
        const int stored = f.atomCount != FrameDef::kAllAtoms ? f.atomCount : d.N();
        if (stored >= 0) n = stored;
        w.put(w.rec().I(stored));
        Rec counts = w.rec();
        for (std::size_t s = 0; s < d.types.size(); ++s)
            counts.I(s < f.molCounts.size() ? f.molCounts[s] : d.types[s].molCount0);
        w.put(counts);
    }
    const auto un = static_cast<std::size_t>(n);
    w.put(w.rec().Fs(Sized(f.x, un)).Fs(Sized(f.y, un)).Fs(Sized(f.z, un)));
    w.put(w.rec().Fs(Sized(f.vx, un)).Fs(Sized(f.vy, un)).Fs(Sized(f.vz, un)));
    w.put(w.rec().Fs(Sized(f.ep, un)));
    for (int k = 3; k < d.C(); ++k) {
        Rec extra = w.rec();
        const auto i = static_cast<std::size_t>(k - 3);
        extra.data = i < f.extraRecords.size() ? f.extraRecords[i] : std::string(8, 'x');
        w.put(extra);
    }
}

inline std::string WriteSimFile(const SimFileDef& d) {
    RecordWriter w(d.swap);
    WriteHeader(w, d);
    for (const FrameDef& f : d.frames) WriteFrame(w, d, f);
    return w.bytes;
}

// The simulator's input file, as far as the per-atom flags and vectors.
struct InpAtom {
    int flag = 0;
    double a[3] = {0, 0, 0};
    double b[3] = {0, 0, 0};
};

struct InpTypeDef {
    int atoms = 1, bonds = 0, molecules = 1;
};

struct InpFileDef {
    int magic = MagicNo::GetInpMagicNo4Bk();
    int listA = 2, listB = 1;  // lengths of the two 12-byte lists near the start
    std::vector<InpTypeDef> types;
    int atomCount = -1;  // -1: the number of atoms given
    std::vector<InpAtom> atoms;
    bool swap = false;
};

inline std::string WriteInpFile(const InpFileDef& d) {
    Rec r(d.swap);
    r.I(d.magic).Bytes(static_cast<std::size_t>(MagicNo::GetFileTitleLength(d.magic)) + 166);
    r.Bytes(8).I(d.listA).Bytes(4).Bytes(12 * static_cast<std::size_t>(d.listA));
    r.Bytes(8).I(d.listB).Bytes(4).Bytes(12 * static_cast<std::size_t>(d.listB));
    r.Bytes(64);
    r.I(d.atomCount >= 0 ? d.atomCount : static_cast<int>(d.atoms.size()))
        .I(static_cast<int>(d.types.size()))
        .Bytes(4);
    std::int64_t p = 0, q = 0, rr = 0;
    for (const InpTypeDef& t : d.types) {
        r.Bytes(16).I(-1).I(t.atoms).I(t.bonds).Bytes(4).I(t.molecules);
        p += static_cast<std::int64_t>(t.molecules) * t.atoms;
        q += t.bonds;
        if (t.bonds > 0) rr += t.atoms;
    }
    r.Bytes(static_cast<std::size_t>(48 * p + 10 * (q + 4 * rr)));
    for (const InpAtom& a : d.atoms) {
        r.Bytes(28).I(a.flag);
        for (double v : a.a) r.D(v);
        for (double v : a.b) r.D(v);
    }
    return r.data;
}

// A file under the test's temporary folder, removed when the object goes.
class TempFile {
public:
    explicit TempFile(const std::string& bytes, const std::string& dir = {}) {
        std::string base = dir.empty() ? std::filesystem::temp_directory_path().string() : dir;
        std::string pattern = base + "/qrtz-sim-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        int fd = ::mkstemp(buf.data());
        if (fd < 0) throw std::runtime_error("mkstemp failed");
        ::close(fd);
        path = buf.data();
        Write(bytes);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { std::remove(path.c_str()); }

    void Write(const std::string& bytes) const {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::string path;
};

} // namespace qrtz::simtest
