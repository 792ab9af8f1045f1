#include "qrtzdb/basis/KelException.h"

#include <algorithm>
#include <cstring>

#include "qrtzdb/platform/MessageBox.h"

namespace qrtz {

int KelException::GetErrorMessage(char* buffer, unsigned int maxLength) const {
    if (!buffer || maxLength == 0) return 0;
    std::size_t n = std::min<std::size_t>(m_message.size(), maxLength - 1);
    std::memcpy(buffer, m_message.data(), n);
    buffer[n] = '\0';
    return m_message.empty() ? 0 : 1;
}

int KelException::ReportError(unsigned int, unsigned int) const {
    MessageBox(m_message.empty() ? CString("unknown error") : m_message, "QrtzDB");
    return 1;
}

} // namespace qrtz
