// A sample game client install for the tests: a DESKTOP tree of accounts,
// shards and characters with their files (one account with twelve shards,
// more than a list shows), and the test client standing in for the 2D and 3D
// client programs at paths with spaces.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct SampleCharacter {
    std::wstring account, shard, name;
    bool hasCfg; // keeps the optional "uo.cfg"
};

// Every character of the tree, in the order they are created.
const std::vector<SampleCharacter>& SampleCharacters();
std::vector<std::wstring> SampleAccounts();
std::vector<std::wstring> SampleShards(const std::wstring& account);
std::vector<std::wstring> SampleNames(const std::wstring& account, const std::wstring& shard);

const SampleCharacter& FindSample(const std::wstring& account, const std::wstring& name);

// The four files a character needs, then the optional fifth.
extern const std::vector<std::wstring> kRequiredFiles;
inline const std::wstring kCfgFile = L"uo.cfg";

// The bytes a character's file holds in the sample (distinct per character
// and file, binary and Japanese text alike).
std::string SampleFileBytes(const SampleCharacter& character, const std::wstring& file);

struct SampleClient {
    std::wstring install;  // the client's install folder, no trailing "\"
    std::wstring client2D; // test client as the 2D program
    std::wstring client3D; // test client as the 3D program
    std::wstring CharacterFolder(const SampleCharacter& character) const;
};

// Builds the install under the folder: "<under>\UO Games\Ultima Online 2D" with
// "Desktop" and "UO.exe", and "<under>\UO Games\Ultima Online 3D\UO.exe".
SampleClient BuildSampleClient(const std::wstring& under, const std::wstring& clientExe);

// What the test client recorded when it was started.
struct ClientRecord {
    std::wstring commandLine;
    std::wstring folder;
};
std::optional<ClientRecord> ReadClientRecord(const std::wstring& clientPath);

} // namespace e2e
