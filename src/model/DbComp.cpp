#include "qrtzdb/model/DbComp.h"

namespace qrtz {

DbComp* DbComp::Copy() const { return new DbComp(*this); }

void DbComp::SetName(const char* name, unsigned int maxLength) {
    SetName(name);
    if (m_name.size() > maxLength) m_name.resize(maxLength);
}

int DbComp::RenameAsCopy(int maxLength) {
    const auto n = static_cast<long long>(m_name.size());
    if (n >= 2 && m_name[n - 2] == '~') {
        char last = m_name[n - 1];
        if (last >= '1' && last <= '8') {
            ++m_name[n - 1];
            return 1;
        }
        if (last == '9' && n == maxLength) return 0;
    }
    const long long keep = maxLength - 2LL;
    if (n > keep) m_name.resize(static_cast<std::size_t>(keep < 0 ? 0 : keep));
    m_name += "~1";
    return 1;
}

} // namespace qrtz
