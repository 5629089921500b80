#include "StyleLint.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <tinyxml.h>

#include "SensorKeys.h"

namespace {

const int kSchemeItemCount = 5; // KEY_SCHEME_MODE to KEY_SCHEME_END_MIN

bool isSchemeItem(int id)
{
    return id >= static_cast<int>(KEY_SCHEME_MODE) && id < static_cast<int>(KEY_SCHEME_MODE) + kSchemeItemCount;
}

bool decimal(const char* text, int& value)
{
    if (text == nullptr || *text == '\0') return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

// The attribute's own position when it has one, else the element's.
const TiXmlBase& positionOf(const TiXmlElement& element, const char* name)
{
    for (const TiXmlAttribute* attribute = element.FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next()) {
        if (std::strcmp(attribute->Name(), name) == 0) return *attribute;
    }
    return element;
}

bool isTabOperation(const char* name)
{
    return std::strcmp(name, "Modify") == 0 || std::strcmp(name, "AddAfter") == 0;
}

bool isOperation(const char* name)
{
    return isTabOperation(name) || std::strcmp(name, "Delete") == 0;
}

class Linter {
public:
    Linter(const LintRules& rules, std::vector<LintFinding>& findings) : m_rules(rules), m_findings(findings) {}

    void lint(const std::string& styleFile, const std::string& diversityFile)
    {
        m_file = styleFile;
        TiXmlDocument style;
        if (!load(style)) return;
        std::set<std::string> tabKeys = styleTabKeys(style);
        checkStyleItems(style);
        if (diversityFile.empty()) return;
        m_file = diversityFile;
        TiXmlDocument diversity;
        if (!load(diversity)) return;
        addTabKeysOfOperations(diversity, tabKeys);
        checkDiversity(diversity, tabKeys);
    }

private:
    void report(const TiXmlBase& at, const std::string& message)
    {
        m_findings.push_back({m_file, at.Row(), at.Column(), message});
    }

    bool load(TiXmlDocument& document)
    {
        if (document.LoadFile(m_file.c_str(), TIXML_ENCODING_UTF8)) return true;
        const bool unreadable = document.ErrorId() == TiXmlBase::TIXML_ERROR_OPENING_FILE;
        m_findings.push_back({m_file, std::max(1, document.ErrorRow()), std::max(1, document.ErrorCol()),
                              unreadable ? "cannot read the file" : std::string("not XML: ") + document.ErrorDesc()});
        return false;
    }

    static std::set<std::string> styleTabKeys(TiXmlDocument& style)
    {
        std::set<std::string> keys;
        const TiXmlElement* root = style.RootElement();
        for (const TiXmlElement* tab = root != nullptr ? root->FirstChildElement() : nullptr; tab != nullptr;
             tab = tab->NextSiblingElement()) {
            if (tab->Attribute("key") != nullptr) keys.insert(tab->Attribute("key"));
        }
        return keys;
    }

    // Tabs brought in by the diversity's own edits can be the target of later ones.
    static void addTabKeysOfOperations(TiXmlDocument& diversity, std::set<std::string>& keys)
    {
        for (const TiXmlElement* condition = diversity.FirstChildElement(); condition != nullptr;
             condition = condition->NextSiblingElement()) {
            for (const TiXmlElement* operation = condition->FirstChildElement(); operation != nullptr;
                 operation = operation->NextSiblingElement()) {
                const TiXmlElement* tab = operation->FirstChildElement();
                if (isTabOperation(operation->Value()) && tab != nullptr && tab->Attribute("key") != nullptr) {
                    keys.insert(tab->Attribute("key"));
                }
            }
        }
    }

    void checkStyleItems(TiXmlDocument& style)
    {
        std::vector<const TiXmlElement*> items;
        collectItems(style.RootElement(), items);
        checkItems(items);
        for (size_t i = kSchemeItemCount; i < items.size(); ++i) {
            int id = 0;
            if (decimal(items[i]->Attribute("id"), id) && isSchemeItem(id)) {
                report(*items[i], "scheme item " + std::to_string(id) + " is not among the first five items");
            }
        }
    }

    // Items in document order; an item's own children are its options.
    static void collectItems(const TiXmlElement* element, std::vector<const TiXmlElement*>& items)
    {
        if (element == nullptr) return;
        if (element->Attribute("id") != nullptr) {
            items.push_back(element);
            return;
        }
        for (const TiXmlElement* child = element->FirstChildElement(); child != nullptr;
             child = child->NextSiblingElement()) {
            collectItems(child, items);
        }
    }

    void checkItems(const std::vector<const TiXmlElement*>& items)
    {
        std::map<int, int> firstLine;
        for (const TiXmlElement* item : items) {
            int id = 0;
            if (!decimal(item->Attribute("id"), id) || m_rules.keys.count(id) == 0) {
                report(positionOf(*item, "id"), "item id \"" + std::string(item->Attribute("id")) +
                                                     "\" is no key of the table");
                continue;
            }
            const auto first = firstLine.emplace(id, item->Row());
            if (!first.second) {
                report(positionOf(*item, "id"), "duplicate item id " + std::to_string(id) + " (first on line " +
                                                    std::to_string(first.first->second) + ")");
            }
            checkValue(*item, id);
            checkOffered(*item, id);
            checkOfferedDefault(*item, id);
        }
    }

    void checkValue(const TiXmlElement& item, int id)
    {
        int value = 0, min = 0, max = 0;
        if (!decimal(item.Attribute("value"), value)) return;
        const std::string shown = std::to_string(value);
        if (decimal(item.Attribute("min"), min) && decimal(item.Attribute("max"), max) && (value < min || value > max)) {
            report(positionOf(item, "value"), "value " + shown + " of item " + std::to_string(id) + " is outside " +
                                                  std::to_string(min) + ".." + std::to_string(max));
        }
        bool hasOptions = false, listed = false;
        for (const TiXmlElement* option = item.FirstChildElement(); option != nullptr;
             option = option->NextSiblingElement()) {
            int index = 0;
            if (!decimal(option->Attribute("index"), index)) continue;
            hasOptions = true;
            listed = listed || index == value;
        }
        if (hasOptions && !listed) {
            report(positionOf(item, "value"),
                   "value " + shown + " of item " + std::to_string(id) + " is not among its options");
        }
    }

    void checkOffered(const TiXmlElement& item, int id)
    {
        const auto range = m_rules.offered.find(id);
        if (range == m_rules.offered.end()) return;
        const int low = range->second.first, high = range->second.second;
        for (const TiXmlElement* option = item.FirstChildElement(); option != nullptr;
             option = option->NextSiblingElement()) {
            int index = 0;
            if (decimal(option->Attribute("index"), index) && (index < low || index > high)) {
                report(positionOf(*option, "index"), "option " + std::to_string(index) + " of item " +
                                                         std::to_string(id) + " is not offered by the ISP (" +
                                                         std::to_string(low) + ".." + std::to_string(high) + ")");
            }
        }
    }

    // The start-up replaces the item's value with the ISP's default: a
    // default the item cannot show is a factory setting the page refuses.
    void checkOfferedDefault(const TiXmlElement& item, int id)
    {
        const auto offered = m_rules.offeredDefaults.find(id);
        int min = 0, max = 0;
        if (offered == m_rules.offeredDefaults.end() || !decimal(item.Attribute("min"), min) ||
            !decimal(item.Attribute("max"), max) || (offered->second >= min && offered->second <= max)) {
            return;
        }
        report(positionOf(item, "value"), "factory default " + std::to_string(offered->second) + " of item " +
                                              std::to_string(id) + " (the ISP's) is outside " + std::to_string(min) +
                                              ".." + std::to_string(max));
    }

    void checkDiversity(TiXmlDocument& diversity, const std::set<std::string>& tabKeys)
    {
        for (const TiXmlElement* condition = diversity.FirstChildElement(); condition != nullptr;
             condition = condition->NextSiblingElement()) {
            for (const TiXmlAttribute* test = condition->FirstAttribute(); test != nullptr; test = test->Next()) {
                if (m_rules.detailFields.count(test->Name()) == 0) {
                    report(*test, "condition tests \"" + std::string(test->Name()) + "\", which is no detail field name");
                }
            }
            for (const TiXmlElement* operation = condition->FirstChildElement(); operation != nullptr;
                 operation = operation->NextSiblingElement()) {
                if (isOperation(operation->Value())) checkOperation(*operation, tabKeys);
            }
        }
    }

    void checkOperation(const TiXmlElement& operation, const std::set<std::string>& tabKeys)
    {
        const char* tabKey = operation.Attribute("tab_key");
        if (tabKey == nullptr || tabKeys.count(tabKey) == 0) {
            report(positionOf(operation, "tab_key"), std::string(operation.Value()) + ": tab_key \"" +
                                                         (tabKey != nullptr ? tabKey : "") + "\" matches no tab");
        }
        if (!isTabOperation(operation.Value())) return;
        const TiXmlElement* tab = operation.FirstChildElement();
        if (tab == nullptr) {
            report(operation, std::string(operation.Value()) + " without a tab child");
            return;
        }
        std::vector<const TiXmlElement*> items;
        collectItems(tab, items);
        checkItems(items);
    }

    const LintRules& m_rules;
    std::vector<LintFinding>& m_findings;
    std::string m_file;
};

} // namespace

std::vector<LintFinding> lintStyleFiles(const std::string& styleFile, const std::string& diversityFile,
                                        const LintRules& rules)
{
    std::vector<LintFinding> findings;
    Linter(rules, findings).lint(styleFile, diversityFile);
    return findings;
}

std::string formatFinding(const LintFinding& finding)
{
    return finding.file + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
           finding.message;
}
