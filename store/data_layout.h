#pragma once

#include <filesystem>
#include <string_view>

// The folders and file names of a local knowledge base under its data directory.
namespace tarnel::store {

class DataLayout {
public:
    DataLayout() = default;
    explicit DataLayout(std::filesystem::path dataDirectory) : m_data(std::move(dataDirectory)) {}

    const std::filesystem::path& dataDirectory() const { return m_data; }
    std::filesystem::path indexFolder() const { return m_data / "Index"; }
    std::filesystem::path resourceFolder() const { return m_data / "Resource"; }
    std::filesystem::path commentFolder() const { return m_data / "Comment"; }
    std::filesystem::path appendFolder() const { return m_data / "Append"; }

    std::filesystem::path countersFile() const { return indexFolder() / "kms.ids"; }
    std::filesystem::path categoryStoreFile() const { return indexFolder() / "kms.cls"; }
    std::filesystem::path recycleStoreFile() const { return indexFolder() / "recycle_kms.cls"; }
    std::filesystem::path tagStoreFile() const { return indexFolder() / "kms.tags"; }

    // "<id>.cps" and "<id>.cas" in Index; the recycle root's list is the one of id 0.
    std::filesystem::path pointListFile(long long categoryId) const;
    std::filesystem::path attachmentListFile(long long categoryId) const;

    // Comment/<point id>_<point name>.rtf
    std::filesystem::path commentFile(long long pointId, std::string_view pointName) const;
    // Append/<attachment id>_<attachment name>: the copy of an attachment kept in backup mode.
    std::filesystem::path attachmentCopy(long long attachmentId, std::string_view name) const;

private:
    std::filesystem::path m_data;
    std::filesystem::path m_index;
    std::filesystem::path m_resource;
};

// "<id>_<name>": how recycled top categories, recycled single points, comments and attachment
// copies are named, so that two records of the same name never share a file.
std::string idPrefixedName(long long id, std::string_view name);

} // namespace tarnel::store
