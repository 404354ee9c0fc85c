#include "convert/PapRecord.h"

namespace {

// "[name]" with each "]" doubled, the quoting the driver's bracketed identifiers use.
std::string Bracketed(const std::string& strName) {
    std::string strQuoted = "[";
    for (char c : strName) {
        strQuoted += c;
        if (c == ']') strQuoted += ']';
    }
    return strQuoted + "]";
}

}  // namespace

double CPapRecord::Field(int nField) const {
    const double* fields[kFieldCount] = {&m_F1, &m_F2, &m_F3, &m_F4, &m_F5, &m_F6,
                                         &m_F7, &m_F8, &m_F9, &m_FA, &m_FB};
    if (nField < 0 || nField >= kFieldCount) return 0.0;
    return *fields[nField];
}

std::string CPapRecord::GetDefaultSQL() {
    return Bracketed(m_strTable);
}

void CPapRecord::DoFieldExchange(CFieldExchange& fx) {
    const std::string strTable = Bracketed(m_strTable);
    fx.Double(strTable + ".[F1]", m_F1);
    fx.Double(strTable + ".[F2]", m_F2);
    fx.Double(strTable + ".[F3]", m_F3);
    fx.Double(strTable + ".[F4]", m_F4);
    fx.Double(strTable + ".[F5]", m_F5);
    fx.Double(strTable + ".[F6]", m_F6);
    fx.Double(strTable + ".[F7]", m_F7);
    fx.Double(strTable + ".[F8]", m_F8);
    fx.Double(strTable + ".[F9]", m_F9);
    fx.Double(strTable + ".[FA]", m_FA);
    fx.Double(strTable + ".[FB]", m_FB);
}

int CountRecords(CPapRecord& rs) {
    // Bounded: a wrong, huge table costs at most 201 moves, enough to tell it is wrong.
    rs.MoveFirst();
    int nCount = 0;
    while (!rs.IsEOF()) {
        rs.MoveNext();
        if (++nCount > 200) break;
    }
    rs.MoveFirst();
    return nCount;
}
