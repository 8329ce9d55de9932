#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>

// The name a download is saved under: its own name when that is free, else
// "name (1).ext", "name (2).ext" … Only the last part of a suggested path counts, so a
// name from the network never leaves the target folder.
[[nodiscard]] QString freeFileName(const QString& suggested,
                                   const std::function<bool(const QString&)>& taken);
// The same against the files that exist in directory.
[[nodiscard]] QString freeFileName(const QString& directory, const QString& suggested);

// The status line during a film download: percent of a known size, else the megabytes
// received, and the average speed since the start.
[[nodiscard]] QString downloadProgressText(qint64 received, qint64 total, qint64 elapsedMs);
