#include "Sample.h"

#include "Driver.h"

#include <algorithm>
#include <stdexcept>

namespace e2e {

const std::vector<std::wstring> kRequiredFiles = {L"chardata.mul", L"desktop.uos", L"macros.txt", L"skillgrp.mul"};

const std::vector<SampleCharacter>& SampleCharacters() {
    static const std::vector<SampleCharacter> all = [] {
        std::vector<SampleCharacter> c = {
            {L"alpha", L"Atlantic", L"Hero", true},  {L"alpha", L"Atlantic", L"Mage", true},
            {L"alpha", L"Atlantic", L"Smith", false}, {L"alpha", L"Pacific", L"Tamer", true},
            {L"alpha", L"Yamato", L"Ninja", true},    {L"gamma", L"Mizuho", L"侍", true},
            {L"gamma", L"Mizuho", L"Archer", false},
        };
        // Twelve shards: the shard list takes only the first ten.
        for (int i = 1; i <= 12; ++i) {
            wchar_t shard[16];
            swprintf(shard, 16, L"Shard%02d", i);
            c.push_back({L"beta", shard, L"Char" + std::wstring(shard + 5), i % 2 == 0});
        }
        return c;
    }();
    return all;
}

const SampleCharacter& FindSample(const std::wstring& account, const std::wstring& name) {
    for (const auto& c : SampleCharacters())
        if (c.account == account && c.name == name) return c;
    throw std::runtime_error("no sample character " + Utf8(account + L"\\" + name));
}

namespace {
void AddUnique(std::vector<std::wstring>& list, const std::wstring& item) {
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}
} // namespace

std::vector<std::wstring> SampleAccounts() {
    std::vector<std::wstring> out;
    for (const auto& c : SampleCharacters()) AddUnique(out, c.account);
    return out;
}

std::vector<std::wstring> SampleShards(const std::wstring& account) {
    std::vector<std::wstring> out;
    for (const auto& c : SampleCharacters())
        if (c.account == account) AddUnique(out, c.shard);
    return out;
}

std::vector<std::wstring> SampleNames(const std::wstring& account, const std::wstring& shard) {
    std::vector<std::wstring> out;
    for (const auto& c : SampleCharacters())
        if (c.account == account && c.shard == shard) AddUnique(out, c.name);
    return out;
}

std::string SampleFileBytes(const SampleCharacter& character, const std::wstring& file) {
    const std::string who = Utf8(character.account + L"/" + character.shard + L"/" + character.name + L"/" + file);
    if (file == L"macros.txt" || file == kCfgFile) {
        // Text files as the client writes them: code page 932, CR LF.
        return Cp932Lines({"; " + who, "Say \"こんにちは " + Utf8(character.name) + "\"", "Key=F1,Alt", "End"});
    }
    // Binary: every byte value, in an order and a length of its own.
    std::string bytes = who + std::string(1, '\0');
    unsigned seed = 0;
    for (const char ch : who) seed = seed * 31u + static_cast<unsigned char>(ch);
    const std::size_t length = 700 + seed % 900;
    for (std::size_t i = 0; i < length; ++i) bytes.push_back(static_cast<char>((i * 7 + seed) & 0xFF));
    return bytes;
}

std::wstring SampleClient::CharacterFolder(const SampleCharacter& c) const {
    return install + L"\\Desktop\\" + c.account + L"\\" + c.shard + L"\\" + c.name;
}

SampleClient BuildSampleClient(const std::wstring& under, const std::wstring& clientExe) {
    SampleClient s;
    const std::wstring games = Join(under, L"UO Games");
    s.install = Join(games, L"Ultima Online 2D");
    s.client2D = Join(s.install, L"UO.exe");
    s.client3D = Join(games, L"Ultima Online 3D\\UO.exe");
    for (const auto& c : SampleCharacters()) {
        const std::wstring folder = s.CharacterFolder(c);
        for (const auto& file : kRequiredFiles) WriteBytes(Join(folder, file), SampleFileBytes(c, file));
        if (c.hasCfg) WriteBytes(Join(folder, kCfgFile), SampleFileBytes(c, kCfgFile));
    }
    CopyOrThrow(clientExe, s.client2D);
    CopyOrThrow(clientExe, s.client3D);
    return s;
}

std::optional<ClientRecord> ReadClientRecord(const std::wstring& clientPath) {
    const auto bytes = ReadBytes(clientPath + L".record");
    if (!bytes) return std::nullopt;
    const std::size_t first = bytes->find('\n');
    const std::size_t second = first == std::string::npos ? std::string::npos : bytes->find('\n', first + 1);
    if (second == std::string::npos) return std::nullopt;
    return ClientRecord{Wide(bytes->substr(0, first)), Wide(bytes->substr(first + 1, second - first - 1))};
}

} // namespace e2e
