#include "picture/name_field_rules.h"

#include <cwctype>
#include <vector>

namespace kelpo {

namespace {

constexpr wchar_t kFieldMark = L'%';
constexpr int kYearDigits = 4;
constexpr int kFieldDigits = 2;

// The digits a field stands for, 0 for no field; %% is a field of no digits.
int FieldDigits(wchar_t letter) {
  switch (letter) {
    case L'Y':
      return kYearDigits;
    case L'm':
    case L'd':
    case L'H':
    case L'M':
    case L'S':
      return kFieldDigits;
    default:
      return 0;
  }
}

bool IsField(std::wstring_view text, std::size_t at) {
  return text[at] == kFieldMark && at + 1 < text.size() &&
         (text[at + 1] == kFieldMark || FieldDigits(text[at + 1]) != 0);
}

int FieldValue(wchar_t letter, const NameTime& when) {
  switch (letter) {
    case L'Y':
      return when.year;
    case L'm':
      return when.month;
    case L'd':
      return when.day;
    case L'H':
      return when.hour;
    case L'M':
      return when.minute;
    default:
      return when.second;
  }
}

std::wstring Padded(int value, int digits) {
  std::wstring text = std::to_wstring(value < 0 ? 0 : value);
  if (text.size() < static_cast<std::size_t>(digits)) text.insert(0, digits - text.size(), L'0');
  return text;
}

std::vector<std::wstring_view> Levels(std::wstring_view path, std::wstring_view separators) {
  std::vector<std::wstring_view> levels;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find_first_of(separators, start);
    levels.push_back(path.substr(start, end == std::wstring_view::npos ? end : end - start));
    if (end == std::wstring_view::npos) return levels;
    start = end + 1;
  }
}

std::wstring_view TrimmedSlashes(std::wstring_view path) {
  while (!path.empty() && path.front() == L'/') path.remove_prefix(1);
  while (!path.empty() && path.back() == L'/') path.remove_suffix(1);
  return path;
}

}  // namespace

bool HasNameFields(std::wstring_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsField(name, i)) return true;
  }
  return false;
}

std::wstring ExpandNameFields(std::wstring_view name, const NameTime& when) {
  std::wstring expanded;
  expanded.reserve(name.size() + name.size() / 2);
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (!IsField(name, i)) {
      expanded += name[i];
      continue;
    }
    const wchar_t letter = name[++i];
    if (letter == kFieldMark) {
      expanded += kFieldMark;
    } else {
      expanded += Padded(FieldValue(letter, when), FieldDigits(letter));
    }
  }
  return expanded;
}

FieldPath SplitAtFirstField(std::wstring_view path, std::wstring_view separators) {
  std::size_t levelStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (separators.find(path[i]) != std::wstring_view::npos) {
      levelStart = i + 1;
    } else if (IsField(path, i)) {
      return {std::wstring(path.substr(0, levelStart)), std::wstring(path.substr(levelStart))};
    }
  }
  return {std::wstring(path), {}};
}

std::wstring_view FolderOf(std::wstring_view path, std::wstring_view separators) {
  const std::size_t last = path.find_last_of(separators);
  return last == std::wstring_view::npos ? std::wstring_view{} : path.substr(0, last);
}

std::wstring_view LeafOf(std::wstring_view path, std::wstring_view separators) {
  const std::size_t last = path.find_last_of(separators);
  return last == std::wstring_view::npos ? path : path.substr(last + 1);
}

bool MatchesNameFields(std::wstring_view pattern, std::wstring_view name) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (IsField(pattern, i)) {
      const wchar_t letter = pattern[++i];
      if (letter == kFieldMark) {
        if (at >= name.size() || name[at++] != kFieldMark) return false;
        continue;
      }
      for (int digit = 0; digit < FieldDigits(letter); ++digit, ++at) {
        if (at >= name.size() || name[at] < L'0' || name[at] > L'9') return false;
      }
      continue;
    }
    if (at >= name.size() || std::towlower(name[at]) != std::towlower(pattern[i])) return false;
    ++at;
  }
  return at == name.size();
}

bool MatchesFieldPath(std::wstring_view pattern, std::wstring_view path,
                      std::wstring_view separators) {
  const std::vector<std::wstring_view> patternLevels = Levels(pattern, separators);
  const std::vector<std::wstring_view> pathLevels = Levels(path, separators);
  if (patternLevels.size() != pathLevels.size()) return false;
  for (std::size_t i = 0; i < pathLevels.size(); ++i) {
    if (!MatchesNameFields(patternLevels[i], pathLevels[i])) return false;
  }
  return true;
}

RemotePlace ExpandRemoteName(std::wstring_view directory, std::wstring_view name,
                             const NameTime& when) {
  const FieldPath split = SplitAtFirstField(directory, kRemoteSeparators);
  RemotePlace target;
  target.directory = split.fixed;
  // "/" is the root itself; only a separator after a name goes.
  if (target.directory.size() > 1 && target.directory.back() == L'/') target.directory.pop_back();
  target.folders = ExpandNameFields(TrimmedSlashes(split.fielded), when);
  const std::wstring nameFolders =
      ExpandNameFields(TrimmedSlashes(FolderOf(name, kRemoteSeparators)), when);
  if (!target.folders.empty() && !nameFolders.empty()) target.folders += L'/';
  target.folders += nameFolders;
  target.filename = ExpandNameFields(LeafOf(name, kRemoteSeparators), when);
  return target;
}

}  // namespace kelpo
