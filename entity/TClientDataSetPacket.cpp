// The table as a data packet: read, written, streamed.
#include "Error.h"
#include "TClientDataSet.h"
#include "internal/DataPacket.h"
#include "internal/FilterExpr.h"
#include "internal/LookupIndex.h"

#include <istream>
#include <iterator>
#include <ostream>

namespace corvo {

Variant TClientDataSet::Data()
{
    if (!Active()) return {};
    MergeChangeLog();
    return internal::encodePacket(m_fieldDefs.list(), m_columns, m_deleted, m_liveRows);
}

void TClientDataSet::SetData(const Variant& packet)
{
    if (packet.isNull()) {
        Close();
        return;
    }
    if (packet.type() != Variant::Type::Bytes) throw Error("数据包损坏：不是字节数组");
    const Bytes& bytes = packet.asBytes();
    // Decoded completely before anything here changes: a bad packet leaves the table as it was.
    internal::DecodedPacket decoded = internal::decodePacket(bytes.data(), bytes.size());
    std::vector<FieldDef> defs = std::move(decoded.defs);
    openEmpty(defs);
    m_columns = std::move(decoded.columns);
    m_deleted.assign(decoded.rows, 0);
    m_liveRows = decoded.rows;
    rebuildView(std::nullopt);
}

void TClientDataSet::CopyDataFrom(TClientDataSet& other)
{
    if (&other == this) return;
    if (!other.Active()) {
        Close();
        return;
    }
    other.MergeChangeLog();
    // Deleted rows still hold their place in the columns; the packet leaves them out.
    if (other.m_liveRows != other.m_deleted.size()) {
        SetData(other.Data());
        return;
    }
    std::vector<internal::Column> columns = other.m_columns;
    openEmpty(other.m_fieldDefs.list());
    m_columns = std::move(columns);
    m_deleted.assign(other.m_liveRows, 0);
    m_liveRows = other.m_liveRows;
    rebuildView(std::nullopt);
}

void TClientDataSet::SaveToStream(std::ostream& stream)
{
    Variant data = Data();
    if (data.isNull()) return;
    const Bytes& b = data.asBytes();
    stream.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (!stream) throw Error("数据包写入失败");
}

void TClientDataSet::LoadFromStream(std::istream& stream)
{
    Bytes bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    if (bytes.empty()) {
        SetData(Variant());
        return;
    }
    SetData(Variant(std::move(bytes)));
}

} // namespace corvo
