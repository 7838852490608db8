#include "PageOption.h"

void CPageGeneralOption::Reset() {
    *this = CPageGeneralOption{};
}

void CPageBKGDOption::Reset() {
    *this = CPageBKGDOption{};
}

void CPageMarginsOption::Reset() {
    *this = CPageMarginsOption{};
}

CPageOption::CPageOption() {
    Reset(true);
    saveEncoding = "UTF-8";
}

CPageOption::CPageOption(const CPageOption& other)
    : general(other.general),
      background(other.background),
      margins(other.margins),
      loadEncoding(other.loadEncoding),
      saveEncoding(other.saveEncoding),
      header(other.header),
      footer(other.footer) {
    metaVariables.reserve(other.metaVariables.size());
    for (const auto& meta : other.metaVariables)
        metaVariables.push_back(std::make_unique<CMetaVariable>(*meta));
}

CPageOption& CPageOption::operator=(const CPageOption& other) {
    if (this != &other) {
        CPageOption copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void CPageOption::Reset(bool addGenerator) {
    header.clear();
    footer.clear();
    general.Reset();
    background.Reset();
    margins.Reset();
    metaVariables.clear();
    if (addGenerator) AddMetaVariable(kGeneratorName, kGeneratorValue, false);
}

CMetaVariable& CPageOption::AddMetaVariable(std::string_view name, std::string_view value,
                                            bool systemVariable) {
    auto meta = std::make_unique<CMetaVariable>();
    meta->name = name;
    meta->value = value;
    meta->systemVariable = systemVariable ? 1 : 0;
    metaVariables.push_back(std::move(meta));
    return *metaVariables.back();
}

bool CPageOption::operator==(const CPageOption& other) const {
    if (!(general == other.general && background == other.background && margins == other.margins &&
          loadEncoding == other.loadEncoding && saveEncoding == other.saveEncoding &&
          header == other.header && footer == other.footer &&
          metaVariables.size() == other.metaVariables.size()))
        return false;
    for (std::size_t i = 0; i < metaVariables.size(); ++i)
        if (!(*metaVariables[i] == *other.metaVariables[i])) return false;
    return true;
}
