#pragma once

#include <config_quorvel/Configuration.h>

namespace fuzz {

class ByteReader;
class ByteWriter;

// A configuration taken from fuzz input, built member by member rather than
// decoded, so it may be one no panel read produces: sections under any key,
// section 0 missing, devices under any address, no event tables at all,
// table references far out of range, texts of any code units.
//
//   flags        bit 0 pultType, bit 1 no section 0
//   sections     count byte (mod 9), each: key (signed byte), name, dubler
//                name, device count byte (mod 9), each device: address
//                (signed byte), names flag byte (bit 0), with names: table
//                (signed byte) and the six name texts
//   commands     count byte (mod 72), each: name
//   event tables count byte (mod 18; 0 leaves the list empty), each: name,
//                change count byte (mod 25), each change: state byte (mod
//                24; bit 7 inverts its emergency flag) and text
// A text is a length byte (mod 24) and that many 16-bit code units.
config_quorvel::Configuration readConfiguration(ByteReader& in);

// The input that reads back as (most of) `configuration`: as many sections,
// devices, commands and tables as the counts can say.
void writeConfiguration(ByteWriter& out, const config_quorvel::Configuration& configuration);

} // namespace fuzz
