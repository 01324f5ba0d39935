#pragma once
// What a program does at start with a damaged registry store: reads fall back
// to defaults and writes are refused, which nobody would notice. The user is
// told once, naming the file, and may start a fresh store beside a kept copy.

class Registry;

// Asks about each damaged store of `registry` in turn; a Yes moves it aside
// so that the next write starts afresh. Every failure is told.
void OfferFreshStoresForDamagedOnes(Registry& registry);
