// A playlist file of any content: read without crashing, and whatever is accepted can be
// handed to a player. Input: the file's bytes.
#include "FuzzParts.h"
#include "catalog/PlaylistReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const Playlist list = PlaylistReader::read(bytes);
    const qsizetype lines = bytes.count('\n') + bytes.count('\r') + 1;
    for (const PlaylistEntry& entry : list.entries) {
        FUZZ_CHECK(PlaylistReader::isPlayableAddress(entry.address));
        FUZZ_CHECK(entry.line >= 1 && entry.line <= lines);
    }
    for (const QList<PlaylistProblem>* problems : {&list.errors, &list.warnings})
        for (const PlaylistProblem& problem : *problems)
            FUZZ_CHECK(problem.line >= 1 && problem.line <= lines && !problem.text.isEmpty());
    return 0;
}
