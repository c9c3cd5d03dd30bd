#pragma once

#include <string>

namespace corvo {
class TClientDataSet;
}

namespace corvo::forms {

/// The cached tables of the local data directory, by file name. The form base is one.
class LocalStore {
public:
    virtual ~LocalStore() = default;
    virtual bool exists(const std::string& name) = 0;
    /// False, the dataset untouched, when the file is missing or damaged.
    virtual bool load(const std::string& name, TClientDataSet& dataSet) = 0;
    /// Throws corvo::Error when the file cannot be written.
    virtual void save(const std::string& name, TClientDataSet& dataSet) = 0;
};

} // namespace corvo::forms
