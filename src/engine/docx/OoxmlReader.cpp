#include "Readers.h"

namespace plainora::engine {

// Placeholder until the OOXML reader lands.
Result<Document> readOoxmlPackage(ByteView, const ReadOptions&)
{
    return makeError(ErrorCode::NotAWordDocument, "Word 2007 and later documents (.docx) are not read yet.");
}

Result<Document> readFlatXml(ByteView, const ReadOptions&)
{
    return makeError(ErrorCode::NotAWordDocument, "Word XML documents are not read yet.");
}

} // namespace plainora::engine
