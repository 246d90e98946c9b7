#include "cartridge/region_layout.h"

namespace velmo {
namespace region {
namespace {

constexpr std::array<std::string_view, kMostBanksPerGroup> kBankLetters = {"E", "J", "P"};
constexpr std::array<std::string_view, kMostBanksPerGroup> kBankNames = {"English", "Japanese",
                                                                         "PAL English"};

}  // namespace

// The setup files are assets 617 to 637 in every region, in this order and
// back to back; the last ends directly before the text region.
const RegionLayout kNorthAmerica{
    .gameCode = "NGEE",
    .countryCode = 0x45,
    .adjective = "North American",
    .headerNote = "",
    .spoilerName = "",
    .originalChecksum = {0xDCBC50D1, 0x09FD1AA3},
    .dataBlock = {.offset = 0x21990, .fixedRoom = 0x11BFF},
    .setupEntriesPosition = 0x26FB0,
    .setups = {{{0x8AB210, 0x8AF81F}, {0x8AF820, 0x8B33AF}, {0x8B33B0, 0x8B5CAF},
                {0x8B5CB0, 0x8B9B0F}, {0x8B9B10, 0x8BD60F}, {0x8BD610, 0x8BF23F},
                {0x8BF240, 0x8C10CF}, {0x8C10D0, 0x8C539F}, {0x8C53A0, 0x8C832F},
                {0x8C8330, 0x8CA67F}, {0x8CA680, 0x8CDD7F}, {0x8CDD80, 0x8CE34F},
                {0x8CE350, 0x8D12CF}, {0x8D12D0, 0x8D2B2F}, {0x8D2B30, 0x8D518F},
                {0x8D5190, 0x8D6BBF}, {0x8D6BC0, 0x8DAECF}, {0x8DAED0, 0x8DEFBF},
                {0x8DEFC0, 0x8E1A0F}, {0x8E1A10, 0x8E41DF}, {0x8E41E0, 0x8E740F}}},
    .text = {.banksPerGroup = 2,
             .keptBank = 0,
             .lastAssetId = 725,
             .regionStart = 0x8E7410,
             .regionEnd = 0x8F7DE0,
             .firstGroup = {0x8E7410, 0x8E7420},
             .lastGroup = {0x8F7DC0, 0x8F7DD0},
             .bankLetters = kBankLetters,
             .bankNames = kBankNames},
};

const RegionLayout kEurope{
    .gameCode = "NGEP",
    .countryCode = 0x50,
    .adjective = "European",
    .headerNote = "European (PAL) image",
    .spoilerName = "Europe (PAL)",
    .originalChecksum = {0x0414CA61, 0x2E57B8AA},
    .dataBlock = {.offset = 0x1F850, .fixedRoom = std::nullopt},
    .setupEntriesPosition = std::nullopt,
    .setups = {{{0x8A15F0, 0x8A5BFF}, {0x8A5C00, 0x8A978F}, {0x8A9790, 0x8AC08F},
                {0x8AC090, 0x8AFEEF}, {0x8AFEF0, 0x8B39EF}, {0x8B39F0, 0x8B561F},
                {0x8B5620, 0x8B74AF}, {0x8B74B0, 0x8BB77F}, {0x8BB780, 0x8BE70F},
                {0x8BE710, 0x8C0A5F}, {0x8C0A60, 0x8C416F}, {0x8C4170, 0x8C475F},
                {0x8C4760, 0x8C76DF}, {0x8C76E0, 0x8C8F3F}, {0x8C8F40, 0x8CB59F},
                {0x8CB5A0, 0x8CCFCF}, {0x8CCFD0, 0x8D12DF}, {0x8D12E0, 0x8D53CF},
                {0x8D53D0, 0x8D7E8F}, {0x8D7E90, 0x8DA65F}, {0x8DA660, 0x8DD89F}}},
    .text = {.banksPerGroup = 3,
             .keptBank = 2,
             .lastAssetId = 769,
             .regionStart = 0x8DD8A0,
             .regionEnd = 0x8F7830,
             .firstGroup = {0x8DD8A0, 0x8DD8B0, 0x8DD8C0},
             .lastGroup = {0x8F6DB0, 0x8F7310, 0x8F7820},
             .bankLetters = kBankLetters,
             .bankNames = kBankNames},
};

const RegionLayout kJapan{
    .gameCode = "NGEJ",
    .countryCode = 0x4A,
    .adjective = "Japanese",
    .headerNote = "Japanese image",
    .spoilerName = "Japan",
    .originalChecksum = {0xA24F4CF1, 0xA82327BA},
    .dataBlock = {.offset = 0x219D0, .fixedRoom = std::nullopt},
    .setupEntriesPosition = std::nullopt,
    .setups = {{{0x8ABF30, 0x8B053F}, {0x8B0540, 0x8B40CF}, {0x8B40D0, 0x8B69CF},
                {0x8B69D0, 0x8BA82F}, {0x8BA830, 0x8BE32F}, {0x8BE330, 0x8BFF5F},
                {0x8BFF60, 0x8C1DEF}, {0x8C1DF0, 0x8C60BF}, {0x8C60C0, 0x8C904F},
                {0x8C9050, 0x8CB39F}, {0x8CB3A0, 0x8CEAAF}, {0x8CEAB0, 0x8CF09F},
                {0x8CF0A0, 0x8D201F}, {0x8D2020, 0x8D387F}, {0x8D3880, 0x8D5EDF},
                {0x8D5EE0, 0x8D790F}, {0x8D7910, 0x8DBC1F}, {0x8DBC20, 0x8DFD0F},
                {0x8DFD10, 0x8E27CF}, {0x8E27D0, 0x8E4F9F}, {0x8E4FA0, 0x8E81DF}}},
    .text = {.banksPerGroup = 2,
             .keptBank = 1,
             .lastAssetId = 725,
             .regionStart = 0x8E81E0,
             .regionEnd = 0x8F9040,
             .firstGroup = {0x8E81E0, 0x8E81F0},
             .lastGroup = {0x8F9020, 0x8F9030},
             .bankLetters = kBankLetters,
             .bankNames = kBankNames},
};

}  // namespace region

std::span<const RegionLayout* const> AllRegions() {
  static constexpr std::array<const RegionLayout*, 3> kRegions = {
      &region::kNorthAmerica, &region::kEurope, &region::kJapan};
  return kRegions;
}

const RegionLayout* RegionForGameCode(std::string_view gameCode) {
  for (const RegionLayout* layout : AllRegions()) {
    if (layout->gameCode == gameCode) return layout;
  }
  return nullptr;
}

}  // namespace velmo
