#pragma once
// What a plan solved for an aim says to people and programs, the same from
// both shells: the aim, the rates its drops achieve, the NPCs it left without
// a drop, and the chances it had to raise.

#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "loot/plan.h"

namespace vl::app {

// "Aim: ..." and its lines ("\n" after each); "" for a plan without an aim.
std::string aim_text(const loot::Plan& plan);

// The NPCs the aim left without a drop, at most kDryRunExamples of them:
// "  NPC 12: already at 41.2 %"; nothing for a plan that left none.
void write_left_alone(std::ostream& out, const loot::Plan& plan);

// "Write 12 drops with 60 entries?", naming the aim when the plan has one and
// the items per hour the drops bring when they are known.
std::string write_question(const loot::Plan& plan, std::optional<double> items_per_hour);

// "119.62": items per hour as every text shows them.
std::string items_per_hour_text(double items);

// The aim's summary for --format json (null without an aim), and every NPC
// it left without a drop.
nlohmann::ordered_json aim_summary_json(const loot::Plan& plan);
nlohmann::ordered_json left_alone_json(const loot::Plan& plan);

}  // namespace vl::app
