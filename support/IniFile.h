#pragma once

#include <optional>
#include <string>
#include <vector>

// A Windows-style INI file with the private-profile rules: section and key names
// compare case-insensitively, a missing key or a value that is not an integer gives
// the read's default, integers are decimal or "0x" hexadecimal, booleans are
// written "0"/"1" and read as integer != 0. Writing a key replaces its value in
// place and keeps every other line as it was.
class TIniFile {
public:
    // Reads the file; a missing or unreadable file behaves as a file with no keys.
    explicit TIniFile(std::string path);

    const std::string& FileName() const { return path_; }

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // Writes the lines back to the file; throws std::runtime_error with the system's
    // error text when the file cannot be written.
    void UpdateFile() const;

    // Parses an integer by the file's rules; false when text is not one.
    static bool ParseInteger(const std::string& text, int& value);

private:
    // Index of the section's header line, or -1.
    int FindSection(const std::string& section) const;
    // Index of the key's line inside the section starting at header, or -1.
    int FindKey(int header, const std::string& key) const;
    // Index one past the section's last key line.
    int SectionInsertPoint(int header) const;
    std::optional<std::string> FindValue(const std::string& section, const std::string& key) const;

    std::string path_;
    std::vector<std::string> lines_;
    bool crlf_ = false;
};
