#include "platform/gdi/RasterOps.h"

#include <cstring>

namespace platform::gdi {
namespace {

// Shortest formulas for all 256 truth tables; C-style infix beside each (& binds tighter
// than ^, which binds tighter than |), with the name of the codes that have one.
const char* const kRopFormulas[256] = {
    /* 00 */ "0",           // 0  (BLACKNESS)
    /* 01 */ "DPSoon",      // ~(D | (P | S))
    /* 02 */ "DPSona",      // D & ~(P | S)
    /* 03 */ "PSon",        // ~(P | S)
    /* 04 */ "SDPona",      // S & ~(D | P)
    /* 05 */ "DPon",        // ~(D | P)
    /* 06 */ "PnDSxa",      // ~P & (D ^ S)
    /* 07 */ "DSaPon",      // ~(D & S | P)
    /* 08 */ "DPnSaa",      // D & (~P & S)
    /* 09 */ "DSxPon",      // ~(D ^ S | P)
    /* 0A */ "DPna",        // D & ~P
    /* 0B */ "DnSaPon",     // ~(~D & S | P)
    /* 0C */ "SPna",        // S & ~P
    /* 0D */ "DSnaPon",     // ~(D & ~S | P)
    /* 0E */ "PnDSoa",      // ~P & (D | S)
    /* 0F */ "Pn",          // ~P
    /* 10 */ "PDSona",      // P & ~(D | S)
    /* 11 */ "DSon",        // ~(D | S)  (NOTSRCERASE)
    /* 12 */ "SnDPxa",      // ~S & (D ^ P)
    /* 13 */ "DPaSon",      // ~(D & P | S)
    /* 14 */ "DnPSxa",      // ~D & (P ^ S)
    /* 15 */ "DPSaon",      // ~(D | P & S)
    /* 16 */ "DDPaPSxox",   // D ^ (D & P | P ^ S)
    /* 17 */ "DDPxDSxaxn",  // ~(D ^ (D ^ P) & (D ^ S))
    /* 18 */ "DPxPSxa",     // (D ^ P) & (P ^ S)
    /* 19 */ "DPaDSxon",    // ~(D & P | D ^ S)
    /* 1A */ "PDPSaox",     // P ^ (D | P & S)
    /* 1B */ "DPSxaSxn",    // ~(D & (P ^ S) ^ S)
    /* 1C */ "PDPaSox",     // P ^ (D & P | S)
    /* 1D */ "DDPxSaxn",    // ~(D ^ (D ^ P) & S)
    /* 1E */ "PDSox",       // P ^ (D | S)
    /* 1F */ "DSoPan",      // ~((D | S) & P)
    /* 20 */ "DPSnaa",      // D & (P & ~S)
    /* 21 */ "DPxSon",      // ~(D ^ P | S)
    /* 22 */ "DSna",        // D & ~S
    /* 23 */ "DnPaSon",     // ~(~D & P | S)
    /* 24 */ "DSxPSxa",     // (D ^ S) & (P ^ S)
    /* 25 */ "DPxDSaon",    // ~(D ^ P | D & S)
    /* 26 */ "SDPSaox",     // S ^ (D | P & S)
    /* 27 */ "DPSxaPxn",    // ~(D & (P ^ S) ^ P)
    /* 28 */ "DPSxa",       // D & (P ^ S)
    /* 29 */ "DPSaoPSxxn",  // ~((D | P & S) ^ (P ^ S))
    /* 2A */ "DPSana",      // D & ~(P & S)
    /* 2B */ "DDPxDSxoxn",  // ~(D ^ (D ^ P | D ^ S))
    /* 2C */ "SDSoPax",     // S ^ (D | S) & P
    /* 2D */ "PDnSox",      // P ^ (~D | S)
    /* 2E */ "PDPxSox",     // P ^ (D ^ P | S)
    /* 2F */ "DnSoPan",     // ~((~D | S) & P)
    /* 30 */ "PSna",        // P & ~S
    /* 31 */ "DPnaSon",     // ~(D & ~P | S)
    /* 32 */ "SnDPoa",      // ~S & (D | P)
    /* 33 */ "Sn",          // ~S  (NOTSRCCOPY)
    /* 34 */ "SDSaPox",     // S ^ (D & S | P)
    /* 35 */ "DDSxPaxn",    // ~(D ^ (D ^ S) & P)
    /* 36 */ "SDPox",       // S ^ (D | P)
    /* 37 */ "DPoSan",      // ~((D | P) & S)
    /* 38 */ "PDPoSax",     // P ^ (D | P) & S
    /* 39 */ "SDnPox",      // S ^ (~D | P)
    /* 3A */ "SDSxPox",     // S ^ (D ^ S | P)
    /* 3B */ "DnPoSan",     // ~((~D | P) & S)
    /* 3C */ "SPx",         // S ^ P
    /* 3D */ "SDSonPox",    // S ^ (~(D | S) | P)
    /* 3E */ "SDSnaPox",    // S ^ (D & ~S | P)
    /* 3F */ "PSan",        // ~(P & S)
    /* 40 */ "SDnPaa",      // S & (~D & P)
    /* 41 */ "DPSxon",      // ~(D | P ^ S)
    /* 42 */ "DSxDPxa",     // (D ^ S) & (D ^ P)
    /* 43 */ "DPaPSxon",    // ~(D & P | P ^ S)
    /* 44 */ "SDna",        // S & ~D  (SRCERASE)
    /* 45 */ "DPSnaon",     // ~(D | P & ~S)
    /* 46 */ "DDPaSox",     // D ^ (D & P | S)
    /* 47 */ "DPxSaPxn",    // ~((D ^ P) & S ^ P)
    /* 48 */ "SDPxa",       // S & (D ^ P)
    /* 49 */ "DDPaSoPxxn",  // ~(D ^ ((D & P | S) ^ P))
    /* 4A */ "DDSoPax",     // D ^ (D | S) & P
    /* 4B */ "PDSnox",      // P ^ (D | ~S)
    /* 4C */ "SDPana",      // S & ~(D & P)
    /* 4D */ "DDPxPSxaxn",  // ~(D ^ (D ^ P) & (P ^ S))
    /* 4E */ "PDPSxox",     // P ^ (D | P ^ S)
    /* 4F */ "DSnoPan",     // ~((D | ~S) & P)
    /* 50 */ "PDna",        // P & ~D
    /* 51 */ "DPnSaon",     // ~(D | ~P & S)
    /* 52 */ "DDSaPox",     // D ^ (D & S | P)
    /* 53 */ "DSxPaSxn",    // ~((D ^ S) & P ^ S)
    /* 54 */ "DnPSoa",      // ~D & (P | S)
    /* 55 */ "Dn",          // ~D  (DSTINVERT)
    /* 56 */ "DPSox",       // D ^ (P | S)
    /* 57 */ "DPSoan",      // ~(D & (P | S))
    /* 58 */ "PDPSoax",     // P ^ D & (P | S)
    /* 59 */ "DPSnox",      // D ^ (P | ~S)
    /* 5A */ "DPx",         // D ^ P  (PATINVERT)
    /* 5B */ "DDSonPox",    // D ^ (~(D | S) | P)
    /* 5C */ "DDSxPox",     // D ^ (D ^ S | P)
    /* 5D */ "DPSnoan",     // ~(D & (P | ~S))
    /* 5E */ "DDnSaPox",    // D ^ (~D & S | P)
    /* 5F */ "DPan",        // ~(D & P)
    /* 60 */ "PDSxa",       // P & (D ^ S)
    /* 61 */ "DDSaPoSxxn",  // ~(D ^ ((D & S | P) ^ S))
    /* 62 */ "DDPoSax",     // D ^ (D | P) & S
    /* 63 */ "SDPnox",      // S ^ (D | ~P)
    /* 64 */ "SDPSoax",     // S ^ D & (P | S)
    /* 65 */ "DPnSox",      // D ^ (~P | S)
    /* 66 */ "DSx",         // D ^ S  (SRCINVERT)
    /* 67 */ "DDPonSox",    // D ^ (~(D | P) | S)
    /* 68 */ "DSaDSoPax",   // D & S ^ (D | S) & P
    /* 69 */ "DPSxxn",      // ~(D ^ (P ^ S))
    /* 6A */ "DPSax",       // D ^ P & S
    /* 6B */ "DPSoaPSxxn",  // ~(D & (P | S) ^ (P ^ S))
    /* 6C */ "SDPax",       // S ^ D & P
    /* 6D */ "DDPoPSxaxn",  // ~(D ^ (D | P) & (P ^ S))
    /* 6E */ "DDnPoSax",    // D ^ (~D | P) & S
    /* 6F */ "PnDSxo",      // ~P | D ^ S
    /* 70 */ "PDSana",      // P & ~(D & S)
    /* 71 */ "DDSxPSxaxn",  // ~(D ^ (D ^ S) & (P ^ S))
    /* 72 */ "SDPSxox",     // S ^ (D | P ^ S)
    /* 73 */ "DPnoSan",     // ~((D | ~P) & S)
    /* 74 */ "DDPxSox",     // D ^ (D ^ P | S)
    /* 75 */ "DPnSoan",     // ~(D & (~P | S))
    /* 76 */ "DDnPaSox",    // D ^ (~D & P | S)
    /* 77 */ "DSan",        // ~(D & S)
    /* 78 */ "PDSax",       // P ^ D & S
    /* 79 */ "DDSoPSxaxn",  // ~(D ^ (D | S) & (P ^ S))
    /* 7A */ "DDnSoPax",    // D ^ (~D | S) & P
    /* 7B */ "SnDPxo",      // ~S | D ^ P
    /* 7C */ "SDSnoPax",    // S ^ (D | ~S) & P
    /* 7D */ "DnPSxo",      // ~D | P ^ S
    /* 7E */ "DSxDPxo",     // D ^ S | D ^ P
    /* 7F */ "DPSaan",      // ~(D & (P & S))
    /* 80 */ "DPSaa",       // D & (P & S)
    /* 81 */ "DPxDSxon",    // ~(D ^ P | D ^ S)
    /* 82 */ "DPSnxa",      // D & (P ^ ~S)
    /* 83 */ "DPnoSaPxn",   // ~((D | ~P) & S ^ P)
    /* 84 */ "SDPnxa",      // S & (D ^ ~P)
    /* 85 */ "DDnSoPaxn",   // ~(D ^ (~D | S) & P)
    /* 86 */ "DDSoPSxax",   // D ^ (D | S) & (P ^ S)
    /* 87 */ "DSaPxn",      // ~(D & S ^ P)
    /* 88 */ "DSa",         // D & S  (SRCAND)
    /* 89 */ "DDnPaSoxn",   // ~(D ^ (~D & P | S))
    /* 8A */ "DPnSoa",      // D & (~P | S)
    /* 8B */ "DDPxSoxn",    // ~(D ^ (D ^ P | S))
    /* 8C */ "SDPnoa",      // S & (D | ~P)
    /* 8D */ "DPSxoSxn",    // ~((D | P ^ S) ^ S)
    /* 8E */ "DDSxPSxax",   // D ^ (D ^ S) & (P ^ S)
    /* 8F */ "PnDSao",      // ~P | D & S
    /* 90 */ "PDSnxa",      // P & (D ^ ~S)
    /* 91 */ "DDnPoSaxn",   // ~(D ^ (~D | P) & S)
    /* 92 */ "DDPoPSxax",   // D ^ (D | P) & (P ^ S)
    /* 93 */ "DPaSxn",      // ~(D & P ^ S)
    /* 94 */ "SDPSoaPxx",   // S ^ (D & (P | S) ^ P)
    /* 95 */ "DPSaxn",      // ~(D ^ P & S)
    /* 96 */ "DPSxx",       // D ^ (P ^ S)
    /* 97 */ "DPSaxPSoan",  // ~((D ^ P & S) & (P | S))
    /* 98 */ "DDPoSnax",    // D ^ (D | P) & ~S
    /* 99 */ "DSxn",        // ~(D ^ S)
    /* 9A */ "DPSnax",      // D ^ P & ~S
    /* 9B */ "DPSoaSxn",    // ~(D & (P | S) ^ S)
    /* 9C */ "SDnPax",      // S ^ ~D & P
    /* 9D */ "DDPoSaxn",    // ~(D ^ (D | P) & S)
    /* 9E */ "DDSaPoSxx",   // D ^ ((D & S | P) ^ S)
    /* 9F */ "DSxPan",      // ~((D ^ S) & P)
    /* A0 */ "DPa",         // D & P
    /* A1 */ "DDnSaPoxn",   // ~(D ^ (~D & S | P))
    /* A2 */ "DPSnoa",      // D & (P | ~S)
    /* A3 */ "DDSxPoxn",    // ~(D ^ (D ^ S | P))
    /* A4 */ "DDSoPnax",    // D ^ (D | S) & ~P
    /* A5 */ "DPxn",        // ~(D ^ P)
    /* A6 */ "DPnSax",      // D ^ ~P & S
    /* A7 */ "DPSoaPxn",    // ~(D & (P | S) ^ P)
    /* A8 */ "DPSoa",       // D & (P | S)
    /* A9 */ "DPSoxn",      // ~(D ^ (P | S))
    /* AA */ "D",           // D
    /* AB */ "DPSono",      // D | ~(P | S)
    /* AC */ "SDSxPax",     // S ^ (D ^ S) & P
    /* AD */ "DDSaPoxn",    // ~(D ^ (D & S | P))
    /* AE */ "DPnSao",      // D | ~P & S
    /* AF */ "DPno",        // D | ~P
    /* B0 */ "PDSnoa",      // P & (D | ~S)
    /* B1 */ "DPSxoPxn",    // ~((D | P ^ S) ^ P)
    /* B2 */ "DDPxPSxax",   // D ^ (D ^ P) & (P ^ S)
    /* B3 */ "SnDPao",      // ~S | D & P
    /* B4 */ "PDnSax",      // P ^ ~D & S
    /* B5 */ "DDSoPaxn",    // ~(D ^ (D | S) & P)
    /* B6 */ "DDPaSoPxx",   // D ^ ((D & P | S) ^ P)
    /* B7 */ "DPxSan",      // ~((D ^ P) & S)
    /* B8 */ "PDPxSax",     // P ^ (D ^ P) & S
    /* B9 */ "DDPaSoxn",    // ~(D ^ (D & P | S))
    /* BA */ "DPSnao",      // D | P & ~S
    /* BB */ "DSno",        // D | ~S  (MERGEPAINT)
    /* BC */ "DSaPSxo",     // D & S | P ^ S
    /* BD */ "DPxDSxan",    // ~((D ^ P) & (D ^ S))
    /* BE */ "DPSxo",       // D | P ^ S
    /* BF */ "DPSano",      // D | ~(P & S)
    /* C0 */ "SPa",         // S & P  (MERGECOPY)
    /* C1 */ "DPnaPSxon",   // ~(D & ~P | P ^ S)
    /* C2 */ "SDSoPnax",    // S ^ (D | S) & ~P
    /* C3 */ "PSxn",        // ~(P ^ S)
    /* C4 */ "SDnPoa",      // S & (~D | P)
    /* C5 */ "DPoPSaxn",    // ~((D | P) ^ P & S)
    /* C6 */ "SDPnax",      // S ^ D & ~P
    /* C7 */ "DPoPSxan",    // ~((D | P) & (P ^ S))
    /* C8 */ "SDPoa",       // S & (D | P)
    /* C9 */ "DPoSxn",      // ~((D | P) ^ S)
    /* CA */ "DDSxPax",     // D ^ (D ^ S) & P
    /* CB */ "DSaPoSxn",    // ~((D & S | P) ^ S)
    /* CC */ "S",           // S  (SRCCOPY)
    /* CD */ "SDPono",      // S | ~(D | P)
    /* CE */ "SDPnao",      // S | D & ~P
    /* CF */ "SPno",        // S | ~P
    /* D0 */ "PDnSoa",      // P & (~D | S)
    /* D1 */ "DPxSoPxn",    // ~((D ^ P | S) ^ P)
    /* D2 */ "PDSnax",      // P ^ D & ~S
    /* D3 */ "DSoPSxan",    // ~((D | S) & (P ^ S))
    /* D4 */ "DDPxDSxox",   // D ^ (D ^ P | D ^ S)
    /* D5 */ "DnPSao",      // ~D | P & S
    /* D6 */ "SDPSaoPxx",   // S ^ ((D | P & S) ^ P)
    /* D7 */ "DPSxan",      // ~(D & (P ^ S))
    /* D8 */ "PDPSxax",     // P ^ D & (P ^ S)
    /* D9 */ "DPSaoSxn",    // ~((D | P & S) ^ S)
    /* DA */ "DSaDPxo",     // D & S | D ^ P
    /* DB */ "DSxPSxan",    // ~((D ^ S) & (P ^ S))
    /* DC */ "SDnPao",      // S | ~D & P
    /* DD */ "SDno",        // S | ~D
    /* DE */ "SDPxo",       // S | D ^ P
    /* DF */ "SDPano",      // S | ~(D & P)
    /* E0 */ "PDSoa",       // P & (D | S)
    /* E1 */ "DSoPxn",      // ~((D | S) ^ P)
    /* E2 */ "DDPxSax",     // D ^ (D ^ P) & S
    /* E3 */ "DPaSoPxn",    // ~((D & P | S) ^ P)
    /* E4 */ "SDPSxax",     // S ^ D & (P ^ S)
    /* E5 */ "DPSaoPxn",    // ~((D | P & S) ^ P)
    /* E6 */ "DSxDPao",     // D ^ S | D & P
    /* E7 */ "DPxPSxan",    // ~((D ^ P) & (P ^ S))
    /* E8 */ "DDPxDSxax",   // D ^ (D ^ P) & (D ^ S)
    /* E9 */ "DDPaPSxoxn",  // ~(D ^ (D & P | P ^ S))
    /* EA */ "DPSao",       // D | P & S
    /* EB */ "DPSnxo",      // D | P ^ ~S
    /* EC */ "SDPao",       // S | D & P
    /* ED */ "SDPnxo",      // S | D ^ ~P
    /* EE */ "DSo",         // D | S  (SRCPAINT)
    /* EF */ "DPnSoo",      // D | (~P | S)
    /* F0 */ "P",           // P  (PATCOPY)
    /* F1 */ "PDSono",      // P | ~(D | S)
    /* F2 */ "PDSnao",      // P | D & ~S
    /* F3 */ "PSno",        // P | ~S
    /* F4 */ "PDnSao",      // P | ~D & S
    /* F5 */ "PDno",        // P | ~D
    /* F6 */ "PDSxo",       // P | D ^ S
    /* F7 */ "PDSano",      // P | ~(D & S)
    /* F8 */ "PDSao",       // P | D & S
    /* F9 */ "PDSnxo",      // P | D ^ ~S
    /* FA */ "DPo",         // D | P
    /* FB */ "DPSnoo",      // D | (P | ~S)  (PATPAINT)
    /* FC */ "SPo",         // S | P
    /* FD */ "SDnPoo",      // S | (~D | P)
    /* FE */ "DPSoo",       // D | (P | S)
    /* FF */ "1",           // 1  (WHITENESS)
};

}  // namespace

const char* RopFormula(uint8_t index) {
  return kRopFormulas[index];
}

uint32_t EvaluateRopFormula(const char* formula, uint32_t pattern, uint32_t source, uint32_t dest) {
  uint32_t stack[16];
  int depth = 0;
  for (const char* c = formula; *c != '\0'; ++c) {
    uint32_t operand;
    switch (*c) {
      case 'P':
        operand = pattern;
        break;
      case 'S':
        operand = source;
        break;
      case 'D':
        operand = dest;
        break;
      case '0':
        operand = 0;
        break;
      case '1':
        operand = 0xFFFFFFFFu;
        break;
      case 'n':
        if (depth < 1) return 0;
        stack[depth - 1] = ~stack[depth - 1];
        continue;
      case 'a':
      case 'o':
      case 'x': {
        if (depth < 2) return 0;
        uint32_t b = stack[--depth];
        uint32_t& a = stack[depth - 1];
        a = *c == 'a' ? (a & b) : *c == 'o' ? (a | b) : (a ^ b);
        continue;
      }
      default:
        return 0;
    }
    if (depth == 16) return 0;
    stack[depth++] = operand;
  }
  return depth == 1 ? stack[0] : 0;
}

uint32_t EvaluateRop3(uint8_t index, uint32_t pattern, uint32_t source, uint32_t dest) {
  uint32_t result = 0;
  for (int k = 0; k < 8; ++k) {
    if (((index >> k) & 1) == 0) continue;
    result |=
        ((k & 4) ? pattern : ~pattern) & ((k & 2) ? source : ~source) & ((k & 1) ? dest : ~dest);
  }
  return result;
}

void ApplyRop3Row(uint8_t index, uint32_t* dest, const uint32_t* source, uint32_t pattern,
                  int count, uint32_t mask) {
  if (count <= 0) return;
  switch (index) {
    case 0xCC:  // SRCCOPY
      if (dest != source) std::memmove(dest, source, static_cast<size_t>(count) * 4);
      return;
    case 0xEE:  // SRCPAINT
      for (int i = 0; i < count; ++i) dest[i] |= source[i];
      return;
    case 0x88:  // SRCAND
      for (int i = 0; i < count; ++i) dest[i] &= source[i];
      return;
    case 0x66:  // SRCINVERT
      for (int i = 0; i < count; ++i) dest[i] ^= source[i];
      return;
    case 0x33:  // NOTSRCCOPY
      for (int i = 0; i < count; ++i) dest[i] = ~source[i] & mask;
      return;
    case 0xF0:  // PATCOPY
      pattern &= mask;
      for (int i = 0; i < count; ++i) dest[i] = pattern;
      return;
    case 0x5A:  // PATINVERT: XOR pens and focus rectangles
      pattern &= mask;
      for (int i = 0; i < count; ++i) dest[i] ^= pattern;
      return;
    case 0x00:  // BLACKNESS
      std::memset(dest, 0, static_cast<size_t>(count) * 4);
      return;
    case 0xFF:  // WHITENESS
      for (int i = 0; i < count; ++i) dest[i] = mask;
      return;
    case 0x55:  // DSTINVERT
      for (int i = 0; i < count; ++i) dest[i] = ~dest[i] & mask;
      return;
    default:
      break;
  }
  if (source == nullptr) {
    for (int i = 0; i < count; ++i) dest[i] = EvaluateRop3(index, pattern, 0, dest[i]) & mask;
  } else {
    for (int i = 0; i < count; ++i)
      dest[i] = EvaluateRop3(index, pattern, source[i], dest[i]) & mask;
  }
}

uint8_t Rop2ToRop3(int rop2) {
  if (rop2 < 1 || rop2 > 16) rop2 = R2_COPYPEN;
  // The binary code minus one is a truth table over (pen, dest) with the pen as bit 1;
  // spread it over the eight (P, S, D) cases with S ignored.
  const unsigned table = static_cast<unsigned>(rop2 - 1);
  uint8_t index = 0;
  for (int k = 0; k < 8; ++k) {
    int pen = (k >> 2) & 1;
    int dst = k & 1;
    if ((table >> ((pen << 1) | dst)) & 1) index = static_cast<uint8_t>(index | (1u << k));
  }
  return index;
}

}  // namespace platform::gdi
