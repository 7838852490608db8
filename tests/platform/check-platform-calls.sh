#!/bin/sh
# Fails, listing FILE:LINE, when a source file outside src/platform names one of the system calls
# (or system conditions, or system headers) that only the platform library may use. Comments are
# not looked at; string literals are ("/proc/self/exe").
# Usage: check-platform-calls.sh SOURCE_FOLDER
set -eu
src=${1:?usage: check-platform-calls.sh SOURCE_FOLDER}

find "$src" -path "$src/platform" -prune -o -type f \( -name '*.h' -o -name '*.cpp' \) -print |
    sort |
    xargs awk '
BEGIN {
    calls = "flock|getpwent|getpwuid|getpwnam|openat|fdopendir|FICLONE|copy_file_range|fsync|"\
            "fdatasync|futimens|utimensat|lstat|fstatat|geteuid|getuid|sigaction|isatty|"\
            "dlopen|dlsym|dlerror|dlclose|"\
            "iconv_open|iconv|iconv_close|st_mtim|st_ctim|st_mtimespec|st_ctimespec|"\
            "_WIN32|__linux__|__APPLE__|Q_OS_[A-Z0-9_]+"
    word = "(^|[^A-Za-z0-9_])(" calls ")([^A-Za-z0-9_]|$)"
    headers = "#[ \t]*include[ \t]*<(unistd|fcntl|dirent|pwd|grp|termios|iconv|pthread|windows|io|"\
              "conio|dlfcn|sys/[a-z_]+|linux/[a-z_]+)\\.h>"
    found = 0
}
FNR == 1 { inBlock = 0 }
{
    # The line without its comments; string and character literals are kept.
    line = $0; code = ""; quote = ""
    for (i = 1; i <= length(line); ++i) {
        c = substr(line, i, 1); two = substr(line, i, 2)
        if (inBlock) {
            if (two == "*/") { inBlock = 0; ++i }
            continue
        }
        if (quote != "") {
            code = code c
            if (c == "\\") { code = code substr(line, i + 1, 1); ++i }
            else if (c == quote) quote = ""
            continue
        }
        if (two == "//") break
        if (two == "/*") { inBlock = 1; ++i; continue }
        if (c == "\"" || c == "\x27") quote = c
        code = code c
    }
    if (code ~ word || code ~ headers || index(code, "/proc/self/exe") > 0) {
        print FILENAME ":" FNR ": " $0
        found = 1
    }
}
END {
    if (found) {
        print "These belong in src/platform (pagelorn_platform), behind its interface."
        exit 1
    }
}'
