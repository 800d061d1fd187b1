// Path patterns of project files, matched against paths relative to a source folder with "/"
// between folders:
//   *      any run of characters within one folder name
//   ?      one character other than "/"
//   [abc]  one of the characters listed; [a-z] a range; [!abc] none of them
//   **     any run of characters, folders included ("docs/**" is everything under docs,
//          "**/*.txt" every .txt file at any depth)
// A pattern without "/" is matched against the file name alone, at any depth ("*.dll").
// Letters match without regard to case, as Windows names do.
#pragma once

#include <string>

bool GlobMatch(const std::string &pattern, const std::string &relativePath);
