#include "dialogs/format_tags.h"

#include <array>

namespace korimu {

namespace {

struct TagRow {
  int16_t tag;
  const char* name;
};

// The tag numbers of the published WAVE format-tag registry, under this program's own names.
constexpr std::array<TagRow, 127> kTagRows{{
    {0, "?"},
    {1, "PCM"},
    {2, "MS-ADPCM"},
    {3, "IEEE-FLOAT"},
    {4, "VSELP"},
    {5, "IBM-CSVD"},
    {6, "CCITT-A-Law"},
    {7, "CCITT-u-Law"},
    {8, "DTS"},
    {16, "OKI-ADPCM"},
    {17, "IMA-ADPCM"},
    {18, "MediaSpace-ADPCM"},
    {19, "Sierra-ADPCM"},
    {20, "G.723-ADPCM"},
    {21, "DIGISTD"},
    {22, "DIGIFIX"},
    {23, "Dialogic-OKI-ADPCM"},
    {24, "MediaVision-ADPCM"},
    {25, "CU-CODEC"},
    {32, "YAMAHA-ADPCM"},
    {33, "SONARC"},
    {34, "TrueSpeech"},
    {35, "ECHOSC1"},
    {36, "AF36"},
    {37, "APTX"},
    {38, "AF10"},
    {39, "PROSODY-1612"},
    {40, "LRC"},
    {48, "DOLBY AC2"},
    {49, "GSM 6.10"},
    {50, "MSN Audio"},
    {51, "ANTEX-ADPCM"},
    {52, "CONTROL-RES VQLPC"},
    {53, "DIGIREAL"},
    {54, "DIGIADPCM"},
    {55, "CONTROL-RES CR10"},
    {56, "NMS-VBXADPCM"},
    {57, "CS-IMA-ADPCM"},
    {58, "ECHOSC3"},
    {59, "ROCKWELL-ADPCM"},
    {60, "ROCKWELL-DIGITALK"},
    {61, "XEBEC"},
    {64, "G.721-ADPCM"},
    {65, "G.728-ADPCM"},
    {66, "MS G.723"},
    {80, "MPEG"},
    {82, "RT24"},
    {83, "PAC"},
    {85, "MPEG Layer3"},
    {89, "Lucent G723"},
    {96, "Cirrus"},
    {97, "ES PCM"},
    {98, "Voxware"},
    {99, "Canopus ATRAC"},
    {100, "G726 ADPCM"},
    {101, "G722 ADPCM"},
    {103, "DSAT-DISPLAY"},
    {105, "Voxware BYTE-Aligned"},
    {112, "CELP"},
    {113, "SBC-8"},
    {114, "SBC-12"},
    {115, "SBC-16"},
    {116, "Voxware RT24"},
    {117, "Voxware RT29"},
    {118, "Voxware RT29HW"},
    {119, "Voxware VR12"},
    {120, "Voxware VR18"},
    {121, "Voxware TQ40"},
    {128, "Softsound"},
    {129, "Voxware TQ60"},
    {130, "MS RT24"},
    {131, "G729A"},
    {132, "MVI-MVI2"},
    {133, "DF-G726"},
    {134, "DF-GSM610"},
    {136, "ISIAUDIO"},
    {137, "ONLIVE"},
    {145, "SBC24"},
    {146, "DOLBY AC3 SPDIF"},
    {147, "Mediasonic G723"},
    {148, "PROSODY 8KBPS"},
    {151, "ZyXEL ADPCM"},
    {152, "Philips LPCBB"},
    {153, "PACKED"},
    {160, "Malden Phonytalk"},
    {256, "Phetorex ADPCM"},
    {257, "IRAT"},
    {273, "Vivo G723"},
    {274, "Vivo SIREN"},
    {291, "Digital G723"},
    {293, "SANYO LD ADPCM"},
    {304, "Sipro Lab ACEPLNET"},
    {305, "Sipro Lab ACELP4800"},
    {306, "Sipro Lab ACELP8V3"},
    {307, "Sipro Lab G729"},
    {308, "Sipro Lab G729A"},
    {309, "Sipro Lab KELVIN"},
    {320, "G726ADPCM"},
    {336, "Qualcomm PUREVOICE"},
    {337, "Qualcomm HALFRATE"},
    {341, "TUBGSM"},
    {352, "MS AUDIO1"},
    {512, "Creative ADPCM"},
    {514, "Creative FASTSPEECH8"},
    {515, "CreativeFASTSPEECH10"},
    {528, "UHER ADPCM"},
    {544, "Quarterdeck"},
    {560, "I-link VC"},
    {576, "RAW SPORT"},
    {592, "IPI HSX"},
    {593, "IPI RPELP"},
    {608, "CS2"},
    {624, "SONY SCX"},
    {768, "FM-TOWNS SND"},
    {1024, "BTV DIGITAL"},
    {1104, "QDesign MUSIC"},
    {1664, "VME VMPCM"},
    {1665, "TPC"},
    {4096, "OLI GSM"},
    {4097, "OLI ADPCM"},
    {4098, "OLI CELP"},
    {4099, "OLI SBC"},
    {4100, "OLI OPR"},
    {4352, "LH CODEC"},
    {5120, "Norris"},
    {5376, "soundspace musicompress"},
    {8192, "DVM"},
}};

}  // namespace

const char* formatTagName(int16_t tag) {
  for (const TagRow& row : kTagRows) {
    if (row.tag == tag) return row.name;
  }
  return nullptr;
}

int formatTagCount() {
  return int(kTagRows.size());
}

}  // namespace korimu
