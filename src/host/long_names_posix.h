// Names of any length on POSIX. open() and stat() refuse a name longer than
// PATH_MAX (ENAMETOOLONG); these calls then walk the folders of the name one
// at a time with openat(), so that a file in a deep folder opens whatever
// the length of its name. Shorter names cost one call, as before. Included
// only by the POSIX files of this folder.
#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>

// Opens the folder `path` (relative to the folder `base`, or AT_FDCWD) as a
// handle for the *at() calls (O_PATH). Returns -1 with errno set on failure.
int openFolderAt(int base, std::string_view path);

// Opens the folder that holds `path` and sets `leaf` to the name of `path`
// in it ("." for a name that ends in a slash or is a lone "/"). Returns -1
// with errno set on failure.
int openParentFolderAt(int base, std::string_view path, std::string* leaf);

// open(path, flags) for a name of any length; -1 with errno set on failure.
int openAnyLength(const char* path, int flags);

// stat() (follow) or lstat() of a name of any length; -1 with errno set.
int statAnyLength(const char* path, struct stat* st, bool follow);
