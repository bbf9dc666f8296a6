#include "Readers.h"

namespace plainora::engine {

// Placeholder until the compound-file and Word binary readers land.
Result<Document> readCompoundFile(ByteView, const ReadOptions&)
{
    return makeError(ErrorCode::NotAWordDocument, "Word 97-2003 documents (.doc) are not read yet.");
}

Result<Document> readWordForDos(ByteView, const ReadOptions&)
{
    return makeError(ErrorCode::UnsupportedOldFormat,
                     "The document was saved by an old version of Word that Plainora does not read. "
                     "Open it in a word processor and save it as a .docx file.");
}

} // namespace plainora::engine
