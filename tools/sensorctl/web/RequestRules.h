// The checks every request passes before it reaches a controller: who may
// ask (Host and Origin, against DNS rebinding and cross-site requests), and
// what a JSON body may hold.
#ifndef SENSORCTL_REQUEST_RULES_H
#define SENSORCTL_REQUEST_RULES_H

#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The Host values the server answers to: "127.0.0.1:P", "localhost:P",
// "[::1]:P" and, when listening elsewhere, "ADDR:P".
std::set<std::string> allowedHosts(const std::string& listenAddress, int port);

// "" when the request may go on, else why not. An Origin, when sent, must be
// this server's own.
std::string refusedOrigin(const std::set<std::string>& hosts, const std::string& host, const std::string& origin);

struct BodyField {
    const char* name;
    bool isText; // else a whole number
};

// Parses a JSON object holding exactly the fields; "" or the message.
std::string readBody(const std::string& body, const std::vector<BodyField>& fields, nlohmann::json& out);

#endif
