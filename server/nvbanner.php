<html>
<body bgcolor="#0f5c3a" leftmargin="0" topmargin="0">
<table width="100%" border="0" cellspacing="0" cellpadding="0">
<tr><td><div align="center"><a href="nvbannerl.php?id=2"><img src="pics/banner.gif" border="0"></a></div></td></tr>
</table>
</body>
</html>
