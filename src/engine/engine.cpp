// Placeholder translation unit so the engine layer builds before its classes land.
namespace korvel {}
