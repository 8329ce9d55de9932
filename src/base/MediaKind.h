#pragma once

// The three kinds of catalog item; each has its catalog list, its favorites list
// and its own way of being played.
enum class MediaKind { Video = 0, Tv = 1, Radio = 2 }; // also the index of its list
