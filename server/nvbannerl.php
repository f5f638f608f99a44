<html>
<head><meta charset="utf-8"><title>Kelvara</title></head>
<body>
<h1>Kelvara</h1>
<p>Dateien, Ordner und Texte mit einem Passwort schützen.</p>
<p>This page stands in for the maker's link target of the banner.</p>
</body>
</html>
