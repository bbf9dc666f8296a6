#include "Readers.h"

namespace plainora::engine {

// Placeholder until the RTF reader lands.
Result<Document> readRtf(ByteView, const ReadOptions&)
{
    return makeError(ErrorCode::NotAWordDocument, "Rich Text Format documents are not read yet.");
}

} // namespace plainora::engine
