#pragma once

#include <string>

// Something the export could not do: the path it concerns (a page, a copied file's source, a
// folder) and the reason in words.
struct ExportFailure {
    std::string path;
    std::string reason;

    bool operator==(const ExportFailure&) const = default;
};
