// Opening a field-data file in whatever exchange format it is written: the
// content decides the reader (SEG EDI, EMTF XML, EMTF Z-file, BIRRP j-file,
// Zonge AVG), the extension only where the content does not.
#pragma once

#include <string>
#include <string_view>

#include "core/fielddata/edi_import.h"
#include "core/formats/emtf_xml_reader.h"
#include "core/formats/transfer_function.h"
#include "core/platform/ui.h"
#include "core/store/workspace.h"

namespace mtvuk {

enum class FieldFormat {
  kUnknown,
  kSegEdi,
  kEmtfXml,
  kZFile,
  kJFile,
  kZongeAvg
};

// Filter of the import dialog: every readable type, then each, then all.
inline constexpr char kFieldImportFilter[] =
    "Field data (*.edi *.xml *.zmm *.zrr *.zss *.j *.avg)|*.edi;*.xml;*.zmm;"
    "*.zrr;*.zss;*.j;*.avg|EDI files (*.edi)|*.edi|EMTF XML (*.xml)|*.xml|"
    "EMTF Z-files (*.zmm *.zrr *.zss)|*.zmm;*.zrr;*.zss|BIRRP j-files "
    "(*.j)|*.j|Zonge AVG (*.avg)|*.avg|All Files (*.*)|*.*||";

// The format's name as the messages give it ("EMTF XML").
const char* FieldFormatName(FieldFormat format);

// The format of a text from its first lines; kUnknown when none fits.
FieldFormat SniffFieldFormat(std::string_view head);
// The format of a file from its first lines (kUnknown also when it cannot
// be opened).
FieldFormat SniffFieldFile(const std::string& path);
// The format a file name's extension suggests; kUnknown for others.
FieldFormat FormatFromExtension(const std::string& path);

// Reads `text` with the reader of `format` (not SEG EDI) into `tf`. False
// with `error` saying what the file lacks.
bool ReadTransferFunction(FieldFormat format,
                          std::string_view text,
                          TransferFunction& tf,
                          std::string& error);

// Reads `path` into workspace.sounding with the reader its content calls
// for, as the SEG EDI importer does for EDI files (same report, same
// messages on points left out and errors set by default). A file no reader
// takes, or one its reader refuses, gets a message naming the format and
// what is missing; the stores are then as before except the sounding.
bool ImportFieldDataFile(const std::string& path,
                         Workspace& workspace,
                         Ui& ui,
                         double default_error = kDefaultImportError,
                         EdiImportReport* report = nullptr,
                         FieldFormat* format = nullptr);

}  // namespace mtvuk
