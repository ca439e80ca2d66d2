#pragma once

#include <string>

// One line of configuration text split into its lower-case name and its first value token.
struct SConfigLine
{
    // Nothing but white space (or no text at all).
    bool empty = true;
    std::string name;
    bool hasValue = false;
    std::string value;

    // White space is blank, tab, line feed, vertical tab, form feed and carriage return.
    // Backslashes before the name are skipped and a backslash ends it; the value is the next
    // run without white space, where a doubled backslash also separates.
    static SConfigLine Parse(char const* text);
};
