#pragma once

#include <string>

// The parts of an address, unescaped.
struct TCrackedURL {
    std::string Scheme; // lower case
    std::string Host;
    std::string Username;
    std::string Password;
    std::string Path;  // "/" when the address has none
    std::string Extra; // the query with its leading "?", without the fragment
    int Port = 0;
};

// Puts "http://" in front of an address that names no scheme.
std::string WithHTTPPrefix(const std::string& url);
// Splits an absolute address; false when it has no scheme, no host (except "file") or a bad port.
bool CrackURL(const std::string& url, TCrackedURL& parts);
// Escapes every byte below 0x20 or from 0x80 up, and space # % * + < >, as %XX.
std::string EscapeExtra(const std::string& text);
// The request's object name: escaped path (also escaping "?") followed by the escaped query.
std::string ObjectName(const TCrackedURL& parts);
