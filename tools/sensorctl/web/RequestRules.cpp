#include "RequestRules.h"

#include <climits>

using nlohmann::json;

std::set<std::string> allowedHosts(const std::string& listenAddress, int port)
{
    const std::string suffix = ":" + std::to_string(port);
    std::set<std::string> hosts = {"127.0.0.1" + suffix, "localhost" + suffix, "[::1]" + suffix};
    if (!listenAddress.empty() && listenAddress != "0.0.0.0") hosts.insert(listenAddress + suffix);
    return hosts;
}

std::string refusedOrigin(const std::set<std::string>& hosts, const std::string& host, const std::string& origin)
{
    if (hosts.count(host) == 0) return "Host \"" + host + "\" is not this server";
    if (!origin.empty() && hosts.count(origin.substr(origin.rfind("http://", 0) == 0 ? 7 : origin.size())) == 0) {
        return "cross-site request from \"" + origin + "\" refused";
    }
    return "";
}

std::string readBody(const std::string& body, const std::vector<BodyField>& fields, json& out)
{
    out = json::parse(body, nullptr, false);
    if (out.is_discarded()) return "the body is not JSON";
    if (!out.is_object()) return "the body must be a JSON object";
    for (const auto& member : out.items()) {
        bool known = false;
        for (const BodyField& field : fields) known = known || member.key() == field.name;
        if (!known) return "unknown key \"" + member.key() + "\"";
    }
    for (const BodyField& field : fields) {
        if (!out.contains(field.name)) return std::string("missing key \"") + field.name + "\"";
        const json& value = out[field.name];
        const bool fits = field.isText ? value.is_string()
                                       : value.is_number_integer() && value.get<long long>() >= INT_MIN &&
                                             value.get<long long>() <= INT_MAX;
        if (!fits) return std::string("\"") + field.name + "\" must be " + (field.isText ? "a text" : "a whole number");
    }
    return "";
}
