#pragma once
// Every resource limit of the engine, in one place. A limit that is reached
// fails the document with ErrorCode::TooLarge (or Damaged where the structure
// itself is absurd), fast and in bounded memory.

#include <cstddef>
#include <cstdint>

namespace plainora::engine::limits {

inline constexpr std::uint64_t kMaxInputFileBytes = 2ull << 30;      // 2 GiB source file
inline constexpr std::uint64_t kMaxArchiveEntries = 10000;           // parts in one zip package
inline constexpr std::uint64_t kMaxArchiveEntryBytes = 512ull << 20; // one inflated zip entry
inline constexpr std::uint64_t kMaxPackageBytes = 1ull << 30;        // all inflated entries read
inline constexpr std::uint64_t kMaxExpansionRatio = 100;             // inflated / compressed, per entry
inline constexpr std::uint64_t kMinRatioCheckedBytes = 10ull << 20;  // ratio ignored below 10 MiB
inline constexpr int kMaxXmlDepth = 256;                             // element nesting
inline constexpr int kMaxRtfGroupDepth = 512;                        // { } nesting
inline constexpr std::size_t kMaxRtfFonts = 1u << 14;                // font table entries kept
inline constexpr int kMaxRtfUnicodeFallback = 16;                    // \ucN: characters after \uN
inline constexpr std::size_t kMaxRtfLists = 1u << 14;                // list table and override entries kept
inline constexpr std::size_t kMaxListStyles = 1u << 14;              // OpenDocument list styles kept
inline constexpr std::size_t kMaxRepeatedColumns = 1u << 14;         // cells of a row from repeated ODF cells
inline constexpr int kMaxHtmlDepth = 256;                            // open elements of a web page
inline constexpr std::size_t kMaxMimeParts = 10000;                  // parts of a web archive
inline constexpr int kMaxTableNesting = 64;                          // tables in tables
inline constexpr int kMaxFieldNesting = 64;                          // fields in fields
inline constexpr int kMaxChunkNesting = 4;                         // imported documents in imported documents
inline constexpr int kMaxStyleChain = 16;                          // base styles followed
inline constexpr std::uint32_t kMaxCfbChainLength = 1u << 24;      // sectors in one chain
inline constexpr std::uint32_t kMaxCfbDirectoryEntries = 1u << 20; // directory entries
inline constexpr std::uint64_t kMaxSmallPartBytes = 16ull << 20;   // relationships, content types, settings
inline constexpr std::uint64_t kMaxTreeParsedPartBytes = 1ull
                                                         << 20; // a part parsed whole in memory, not streamed
inline constexpr std::size_t kStreamedTreeChunkBytes =
    256u << 10; // a streamed part parsed as a tree chunk by chunk
inline constexpr std::uint64_t kMaxWholeInflatedPartBytes =
    4ull << 20; // a streamed part inflated in one call rather than in slices
inline constexpr std::uint64_t kMaxTextBytes = 512ull << 20; // text kept in memory

} // namespace plainora::engine::limits
