' String building: appends, then takes lengths and restarts.
Function Main() As Long
  Dim i As Long, n As Long, t As String
  n = 0
  t = ""
  For i = 1 To 300000
    t = t & "ab" & Chr(65 + i Mod 26)
    If Len(t) > 3000 Then
      n = n + Len(t)
      t = ""
    End If
  Next i
  Main = n + Len(t)
End Function
