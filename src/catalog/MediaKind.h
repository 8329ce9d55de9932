#pragma once

// The three kinds of catalog item; each has its catalog list, its favorites list
// and its own way of being played.
enum class MediaKind { Video, Tv, Radio };
