// Large file records: their content streamed from the chunks into a temporary file beside the
// destination, the content checksum computed as the bytes pass.
//
// A 32-bit process cannot hold a 1 GiB record together with its inflate buffers and the mapped
// image, so records longer than kStreamedRecordThreshold never sit whole in memory. The temporary
// file replaces the destination only after the checksum matched; a mismatch deletes it and ends
// the run with code 100, the destination untouched. A locked destination takes the restart path
// with the temporary file (install/file_write_win.h).
#pragma once

#include "install/file_step.h"
#include "install/file_write_win.h"
#include "setupdata/record_stream.h"

// Streams the content into a temporary file in the destination's folder and checks its checksum
// (code 100). True with request.tempFile and request.contentChecksum set; false (with the failure
// summary entry) when no temporary file could be written, the content then read to its end and
// checked all the same.
bool StreamContentBeside(FileStepInput &input, FileRecordStream &stream, int32_t size, FileWriteRequest &request);

// Reads the content of a record that is not installed to its end and checks its checksum (code 100).
void DrainStreamedContent(FileRecordStream &stream, int32_t size);
