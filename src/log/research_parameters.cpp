#include "log/research_parameters.h"

#include "lisp/cons_node.h"
#include "lisp/keyword_list.h"
#include "lisp/wlisp.h"
#include "support/code_page.h"

namespace kest {

void TResearchParameters::Reload(const std::string& file_name) {
  file_name_ = file_name;
  items_.clear();
  NodeRef list = Lisp().LoadFile(file_name);
  for (auto* cell = NodeCast<TConsNode>(list.Get()); cell; cell = cell->Next()) {
    TNode* entry = cell->Car();
    TResearchParameter p;
    p.Name = GetStr("PARAMETER", entry);
    p.DisplayName = GetStr("DISPLAYNAME", entry);
    p.Additional = GetBoolDef("ADDITIONAL", entry, false);
    p.Selectable = GetBoolDef("SELECTABLE", entry, true);
    p.Mandatory = GetBoolDef("MANDATORY", entry, false);
    p.ListFile = GetStrDef("LISTFILE", entry, "");
    items_.push_back(std::move(p));
  }
}

const TResearchParameter& TResearchParameters::ByName(std::string_view name) const {
  std::string wanted = UpperCase(name);
  for (const auto& p : items_)
    if (p.Name == wanted) return p;
  throw EResearchParametersError("Параметр \"" + std::string(name) + "\" не найден");
}

}  // namespace kest
