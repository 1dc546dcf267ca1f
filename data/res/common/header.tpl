<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<title>Quillery</title>
<style type="text/css">
body { font-family: "DejaVu Sans", "Segoe UI", Arial, sans-serif; font-size: 10pt; color: #222222; margin: 8px 14px; }
h1 { font-size: 15pt; color: #2a5d8f; margin: 4px 0 6px 0; }
h2 { font-size: 11.5pt; color: #2a5d8f; margin: 12px 0 4px 0; }
p { margin: 4px 0 6px 0; }
ul { margin-top: 2px; margin-bottom: 6px; }
li { margin-bottom: 2px; }
code { font-family: "DejaVu Sans Mono", Consolas, monospace; background-color: #eef2f6; }
.key { font-weight: bold; }
.note { color: #5a5a5a; }
</style>
</head>
