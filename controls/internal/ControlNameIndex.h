#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string_view>

namespace corvo {
class TParamData;
}

namespace corvo::controls::internal {

/// The name index of a control list: field code → position in the list, kept in a
/// parameter map (kind ""). Codes are stored in at most 30 bytes, so codes that agree in
/// their first 30 bytes are one entry; letter case is ignored.
class ControlNameIndex {
public:
    static constexpr std::size_t MaxNameBytes = 30;

    ControlNameIndex();
    ~ControlNameIndex();
    ControlNameIndex(const ControlNameIndex&) = delete;
    ControlNameIndex& operator=(const ControlNameIndex&) = delete;

    /// The position registered under the name; the index is left on its row.
    std::optional<int> find(std::string_view name);
    /// Registers the name at that position and stays on the new row. Throws what the
    /// parameter map throws.
    void add(std::string_view name, int position);
    /// The position in the index's current row.
    std::optional<int> current() const;
    bool empty() const;

private:
    std::unique_ptr<TParamData> m_index;
};

} // namespace corvo::controls::internal
