"""Text from word-processor documents (.doc, .docx, .rtf and their kin).

    import plainora

    text = plainora.extract_text("report.docx")
    text = plainora.extract_text(pathlib.Path("memo.doc"), headers_footers=True)
    text = plainora.extract_text(response.content)          # the document's bytes

The text is in Plainora's plain-text layout, the same as plainora-cli writes
(with LF line ends). A failure raises ConversionError, or one of its
subclasses for the cases a caller branches on. The conversion releases the
GIL, so a thread pool converts several documents at once.
"""

import os
from typing import Union

from . import _native

__version__: str = _native.version

__all__ = [
    "ConversionError",
    "DamagedDocumentError",
    "DocumentNotFoundError",
    "LimitExceededError",
    "PasswordProtectedError",
    "UnsupportedFormatError",
    "__version__",
    "extract_text",
]


class ConversionError(Exception):
    """A document could not be converted.

    code is the error number plainora-cli prints as "(error N)" and
    description its sentence saying what went wrong and what to do.
    """

    def __init__(self, code: int, description: str) -> None:
        super().__init__(code, description)
        self.code = code
        self.description = description

    def __str__(self) -> str:
        return f"{self.description} (error {self.code})"


class DocumentNotFoundError(ConversionError):
    """The path names no file (error 1)."""


class UnsupportedFormatError(ConversionError):
    """The content is not a document Plainora reads (error 3), or is in a
    format too old for it, such as Word 6/95 or Write (error 7)."""


class PasswordProtectedError(ConversionError):
    """The document is encrypted (error 4)."""


class DamagedDocumentError(ConversionError):
    """The container or the document's structure is broken (error 5)."""


class LimitExceededError(ConversionError):
    """The document is over one of Plainora's size or nesting limits, or
    memory ran out (error 6)."""


_ERROR_CLASSES = {
    1: DocumentNotFoundError,
    3: UnsupportedFormatError,
    4: PasswordProtectedError,
    5: DamagedDocumentError,
    6: LimitExceededError,
    7: UnsupportedFormatError,
}

Source = Union[str, "os.PathLike[str]", "os.PathLike[bytes]", bytes, bytearray, memoryview]


def extract_text(source: Source, *, headers_footers: bool = False, comments: bool = False) -> str:
    """Returns the text of a document.

    source is a path (str or os.PathLike) or the document itself as a
    bytes-like object (bytes, bytearray, memoryview, mmap, ...): bytes are
    always content, never a file name. headers_footers adds the headers and
    footers after the body; comments adds the comments after the notes.

    Raises ConversionError (or a subclass) when the document cannot be
    converted, TypeError when source is neither a path nor bytes-like, and
    ValueError when a path holds a null character.
    """
    options = (_native.HEADERS_FOOTERS if headers_footers else 0) | (_native.COMMENTS if comments else 0)
    if isinstance(source, (str, os.PathLike)):
        code, text = _native.extract_path(os.fsencode(source), options)
    else:
        try:
            view = memoryview(source)
        except TypeError:
            raise TypeError(
                f"source must be a path (str or os.PathLike) or bytes-like, not {type(source).__name__}"
            ) from None
        with view:
            code, text = _native.extract_buffer(view if view.c_contiguous else view.tobytes(), options)
    if code != 0:
        raise _ERROR_CLASSES.get(code, ConversionError)(code, text)
    return text
