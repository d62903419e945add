// Extraction: turns a package (every piece of it) into files below a work folder.
// Portable; the outside world (files, boxes, progress, message pumping) comes in through UnpackHost.
#pragma once
#include <cstdint>
#include <memory>

#include "package/byte_source.h"
#include "package/package.h"
#include "text/str.h"

namespace vx {

// One target file opened for writing. Write failures are sticky; ErrorText describes the first.
class UnpackOutput {
 public:
  virtual ~UnpackOutput() = default;
  virtual bool Ok() const = 0;  // false when the file could not be opened or a write failed
  virtual bool Write(const uint8_t* data, size_t len) = 0;
  // Sets the file's DOS date-time (date in the high 16 bits); only called with a date not 0.
  virtual void SetDosTime(uint32_t dosDateTime) = 0;
  virtual String ErrorText() const = 0;  // the system's text for the failure
};

// Everything extraction needs from its surroundings. Names of targets are relative to the work
// folder, checked by CheckEntryName and joined with backslashes; piece paths are full paths.
class UnpackHost {
 public:
  virtual ~UnpackHost() = default;

  // Pieces of the package.
  virtual bool PieceExists(const String& path) = 0;
  virtual std::unique_ptr<ByteSource> OpenPiece(const String& path) = 0;
  virtual uint32_t PieceDosTime(const String& path) = 0;  // 0 when unknown

  // The work folder and the files in it.
  virtual bool CreateWorkFolder(String& errorText) = 0;   // with every missing parent
  virtual bool CreateFolders(const String& relativeFolder) = 0;
  // Opens a target for appending (creating it when missing) or, with append false, replacing.
  // existed tells whether the file was there before. Never returns null.
  virtual std::unique_ptr<UnpackOutput> OpenOutput(const String& relative, bool append,
                                                   bool& existed) = 0;
  virtual uint64_t TargetSize(const String& relative) = 0;  // 0 when missing
  virtual double FreeSpace(const String& relative) = 0;      // -1 when unknown
  // The process-wide count of failed file writes (only the first failure is shown).
  virtual int& WriteFailureCount() = 0;

  // The user.
  // kind 0: start (first, max, position, step); kind 1: one step.
  virtual void Progress(int32_t kind, int32_t first, int32_t max, int32_t position, int32_t step) = 0;
  virtual void ShowError(const String& markupText) = 0;
  // The next-disk question (OK/Cancel); true for OK.
  virtual bool AskForDisk(const String& markupText) = 0;
  virtual void SuppressAutoPlay() = 0;
  virtual void EjectMedium(const String& path) = 0;
  virtual void PumpMessages() = 0;
  virtual void Wait(uint32_t ms) = 0;

  // Reports for tools that list a package; the launcher ignores them.
  struct PieceReport {
    String path;
    int disk = 0;
    uint64_t size = 0;
    bool checksumOk = false;
    bool checksumSkipped = false;  // too large to be tested
    bool isPackage = false;
    TrailerRecord trailer{};
  };
  struct FileReport {
    int block = 0;                 // block number over the whole package (1-based)
    String name;              // as written in the header (before "*")
    String relative;          // the checked name
    uint64_t packedSize = 0;
    uint64_t size = 0;             // content bytes
    uint32_t dosDateTime = 0;
    bool appended = false;         // the file existed: this block was appended to it
    bool written = true;
  };
  virtual void NotePiece(const PieceReport&) {}
  virtual void NoteFile(const FileReport&) {}
};

struct UnpackRequest {
  String packagePath;  // the first piece
  String workFolder;   // target folder, no trailing backslash (used in texts)
  String agentName;    // the update agent to build, or empty
  bool forcePrompt = false; // ask for every further disk even when its piece is reachable
  String promptText;   // the disk question; "<DISK_NUM>" becomes the disk number
};

enum class UnpackFailure {
  kNone,
  kBadName,       // a file name that leaves the work folder or cannot be a file name
  kBlockPastEnd,  // a block's length runs past the end of its piece (or the data start does)
  kDamagedData,   // zlib could not inflate a block
  kNeedDictionary,
  kLongHeader,    // a block header too long to hold a file name
  kReadError,     // a piece could not be read
  kBadTrailer,    // a trailer that does not fit the package: no package trailer on the first piece,
                  // a string-block count other than 2 or 3 or above the blocks the first piece
                  // holds, or a file count that differs between the pieces or from the number of
                  // file blocks found
  kWriteFailed,   // a file could not be written (the first failure in the process was shown)
};

struct UnpackResult {
  String runCommand;   // the "*" name item (or whole header), empty when none or stopped
  bool checksumOk = false;  // the last piece examined passed its checksum test
  bool cancelled = false;   // the user cancelled a disk question
  UnpackFailure failure = UnpackFailure::kNone;
  String errorText;    // what went wrong, for the user (plain text) when failure is set
  int pieces = 0;           // pieces opened
  int blocks = 0;           // blocks read, string blocks included
  int files = 0;            // file blocks written or appended
  int fileBlocks = 0;       // file blocks read (ignored ones included)
};

constexpr size_t kUnpackChunk = 256 * 1024;  // read and write unit of extraction

UnpackResult UnpackPackageWith(const UnpackRequest& request, UnpackHost& host);

// The text shown with the first failed write: system error, content size, file size, free bytes.
String WriteFailureReport(const String& errorText, uint64_t dataSize, uint64_t fileSize,
                          double bytesFree);

// What is said of an update agent name that CheckEntryName refused, for the user (plain text).
String UnsafeAgentNameText(const String& agentName, const String& reason);

// The update agent image: bytes [0, keep) of the first piece with the package-end field and the
// PE header's certificate table entry cleared (the entry when the first chunk holds the header),
// followed by the trailer with the agent flag set and the length 74. Written in chunks by the
// caller through this function: part of the image at [offset, offset + len).
void PatchAgentChunk(uint64_t offset, uint8_t* data, size_t len);
TrailerRecord AgentTrailer(const TrailerRecord& pieceTrailer);

}  // namespace vx
