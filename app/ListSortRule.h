#pragma once

// What a column click makes of a list's sort order: the same key flips the
// direction; another key is taken and the direction stays as it was.
struct TSortOrder {
    int Key = 0;
    bool Ascending = true;

    bool operator==(const TSortOrder&) const = default;
};

constexpr TSortOrder SortOrderAfterClick(TSortOrder current, int clickedKey)
{
    if (clickedKey == current.Key)
        return {current.Key, !current.Ascending};
    return {clickedKey, current.Ascending};
}
