#pragma once

#include "ops/operation_context.h"
#include "ops/operation_result.h"
#include "store/category_store.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// "导入文档": files copied into a category as points.
namespace tarnel::ops {

// The record of a point made from a file, without an id: `name`, `class`, `star_num` 1,
// `point_size` the full size (never cut to 32 bits, so that the categories' `size` sums stay
// right), `state` 1, `create_date` and `modify_date` as local times.
std::unique_ptr<store::PointRecord> importedPoint(const store::CategoryRecord& category,
                                                  std::string_view name, std::uint64_t size,
                                                  std::time_t created, std::time_t modified);

// The file dialog's title: "添加文档到:<category name>".
std::string importDocumentsTitle(const store::CategoryRecord& category);

// Imports the files in order into the category (of the category store, id above 0). A missing
// category folder is asked for first. Each file: a name taken under the category, a file whose
// status cannot be read (or that is no regular file) and a failed copy are each reported with a
// warning and skip only that file; the others become points (`star_num` 1, `state` 1,
// `point_size` the full size, both dates the file's creation time), copied to a temporary name
// and renamed into place, never over an existing file (2, and 4 for the category and its
// ancestors). When at least one was imported: the point list, the category store and kms.ids
// are saved and "导入文档完毕!" (17 blanks and "\r\n" after it) reported; a failed save takes every
// import away again ("导入文档失败!"). kOk (id: the last point) or the last refusal's code.
OperationResult importDocuments(OperationContext& context, store::CategoryRecord& category,
                                const std::vector<std::filesystem::path>& files);

} // namespace tarnel::ops
