// Workspace state of an open plugin.
#pragma once

struct TPluginDocument {};
